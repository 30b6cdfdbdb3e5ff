// The lighting page of the settings column: the effect selector and, for the selected effect,
// its colour slots, speed, brightness and direction. Which of them show depends on the effect;
// the rows that show stack below the selector.
#pragma once

#include "platform/EventLoop.h"
#include "ui/main/Page.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quorvik::ui {

class CComboButton;
class CSliderControl;
class CColorSelectCheckButton;
class CRadioButton;
class CStaticText;
class CStaticImage;

class CLightingPage : public CColumnPage {
public:
    static constexpr int kHeaderText = 12;
    // The height with the most rows an effect shows (two); with fewer rows the page is shorter.
    static constexpr int kContentHeightUnits = 146;
    static constexpr int kMostRows = 2;
    // A click on a colour slot waits this long for a second click before it toggles the slot.
    static constexpr std::uint32_t kToggleDelayMs = 150;

    explicit CLightingPage(PageHost& host);

    // The selector and the rows the selected effect shows.
    int ContentHeightUnits() const override;
    void CreateControls() override;
    void Refresh(const model::ProfileRecord& record) override;
    // The speed, brightness and direction shown, into the selected effect: each once the user moved
    // it since the refresh, or when the stored value is one the control shows exactly.
    void Collect(model::ProfileRecord& record) override;
    bool HandleMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(unsigned id) override;

    // The effect list while it is open, else 0.
    WindowHandle OpenList() const;

private:
    // The controls of one row below the selector: a caption line, then the control line.
    enum Row { kColourRow, kSpeedRow, kBrightnessRow, kDirectionRow, kRowCount };

    void onSelectorMessage(WPARAM controlId, LPARAM code);
    void openList();
    void closeList();
    void onEffectChosen(LPARAM choice);
    void onSlider(bool speed, WPARAM wParam, LPARAM code);
    void onColourCheck(int slot, LPARAM code);
    void toggleSlot(int slot);
    // Forgets the clicks still waiting to toggle their slots.
    void dropPendingToggles();
    // The check of `slot` as the record has it.
    void syncCheck(int slot);
    void editSlotColour(int slot);
    void onDirection();
    void showEffect(std::optional<int> effect);
    void placeRow(Row row, int slotIndex);
    void showSpeedText();
    void showBrightnessText();

    CComboButton* selector_ = nullptr;
    std::array<CStaticText*, kRowCount> captions_{};
    CStaticImage* speedTicks_ = nullptr;
    CSliderControl* speed_ = nullptr;
    CStaticText* speedValue_ = nullptr;
    CStaticImage* brightnessTicks_ = nullptr;
    CSliderControl* brightness_ = nullptr;
    CStaticText* brightnessValue_ = nullptr;
    std::array<CColorSelectCheckButton*, 8> checks_{};
    CRadioButton* up_ = nullptr;
    CRadioButton* down_ = nullptr;
    WindowHandle list_ = 0;
    std::uint64_t foldUntil_ = 0; // a click on the selector until then closes, not opens
    // After a double-click the release that follows it is no click of its own.
    std::array<bool, 8> swallowClick_{};
    // Per slot: the effect a click was made on while it waits to toggle the slot.
    std::array<std::optional<int>, 8> pendingToggle_{};
    std::optional<int> shownEffect_;
    int shownRows_ = kMostRows;
    ShownValue shownSpeed_;
    ShownValue shownBrightness_;
    ShownValue shownUp_;
};

} // namespace quorvik::ui
