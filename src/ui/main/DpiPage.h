// The DPI page: eight levels side by side, each with its on/off check, its DPI (red for the
// current level), a slider over the sensor's steps, a box that opens the DPI value dialog and the
// level's indicator colour. Levels 1 … 6 reach the mouse; 7 and 8 live only in the profile.
#pragma once

#include "ui/main/Page.h"

#include <array>
#include <cstdint>

namespace quorvik::ui {

class CCheckButton;
class CDPIRadioButton;
class CVerticalSliderControl;
class CDPIValueShowControl;
class CColorSelectButton;

class CDpiPage : public CColumnPage {
public:
    static constexpr int kLevels = 8;
    static constexpr int kHeaderText = 11;
    static constexpr int kContentHeightUnits = 196;

    explicit CDpiPage(PageHost& host);

    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    void OnSensorChanged(const device::SensorTables& tables) override;

    // n: the current level counted among the levels that are on, as the page keeps it.
    std::uint8_t CurrentLevel() const { return current_; }

private:
    struct Level {
        CCheckButton* check = nullptr;
        CDPIRadioButton* label = nullptr;
        CVerticalSliderControl* slider = nullptr;
        CDPIValueShowControl* box = nullptr;
        CColorSelectButton* colour = nullptr;
    };

    void onLevelCheck(int k);
    void onSlider(int k, WPARAM value, LPARAM code);
    void onValueBox(int k);
    void onColour(int k);
    // Label, slider and box of level k from the step code `code`.
    void showStep(int k, std::uint16_t code);

    std::array<Level, kLevels> levels_{};
    std::uint8_t current_ = 0;
};

} // namespace quorvik::ui
