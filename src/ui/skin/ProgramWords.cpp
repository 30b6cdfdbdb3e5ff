#include "ui/skin/ProgramWords.h"

#include <array>

namespace quorvik::ui {

namespace {
struct RadioEntry {
    int id;
    int bit;
    std::uint32_t group;
};

constexpr std::uint32_t bits(int first, int last) {
    std::uint32_t mask = 0;
    for (int b = first; b <= last; ++b)
        mask |= 1u << b;
    return mask;
}

constexpr std::array<RadioEntry, 22> kRadios{{
    {2006, 0, bits(0, 6)},    {2080, 1, bits(0, 6)},    {2081, 2, bits(0, 6)},    {2082, 3, bits(0, 6)},
    {2083, 4, bits(0, 6)},    {2084, 5, bits(0, 6)},    {2085, 6, bits(0, 6)},    {2009, 7, bits(7, 8)},
    {2010, 8, bits(7, 8)},    {3501, 9, bits(9, 10)},   {3502, 10, bits(9, 10)},  {3240, 11, bits(11, 12)},
    {3250, 12, bits(11, 12)}, {2031, 13, bits(13, 15)}, {2032, 14, bits(13, 15)}, {2033, 15, bits(13, 15)},
    {3030, 16, bits(16, 19)}, {3031, 17, bits(16, 19)}, {3032, 18, bits(16, 19)}, {3033, 19, bits(16, 19)},
    {3510, 20, bits(20, 21)}, {3511, 21, bits(20, 21)},
}};

const RadioEntry* findRadio(int id) {
    for (const auto& e : kRadios)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::uint32_t g_radioWord = 0;
std::uint32_t g_dpiLevelWord = 0;
int g_tabA = 0;
int g_tabB = 0;
} // namespace

std::uint32_t RadioGroupWord() {
    return g_radioWord;
}
void SetRadioGroupWord(std::uint32_t word) {
    g_radioWord = word;
}

int RadioBit(int id) {
    const RadioEntry* e = findRadio(id);
    return e ? e->bit : -1;
}

std::uint32_t RadioGroupMask(int id) {
    const RadioEntry* e = findRadio(id);
    return e ? e->group : 0;
}

bool SelectRadio(int id) {
    const RadioEntry* e = findRadio(id);
    if (!e)
        return false;
    g_radioWord = (g_radioWord & ~e->group) | (1u << e->bit);
    return true;
}

std::uint32_t DpiLevelWord() {
    return g_dpiLevelWord;
}
void SetDpiLevelWord(std::uint32_t word) {
    g_dpiLevelWord = word;
}

int TabSelectionA() {
    return g_tabA;
}
int TabSelectionB() {
    return g_tabB;
}
void SetTabSelectionA(int value) {
    g_tabA = value;
}
void SetTabSelectionB(int value) {
    g_tabB = value;
}

TabSlot TabSlotOf(int id) {
    if (id >= 2049 && id <= 2053)
        return {'A', id - 2049};
    if (id >= 3001 && id <= 3004)
        return {'B', id - 3001};
    if (id >= 3007 && id <= 3009)
        return {'B', id - 3000};
    return {};
}

} // namespace quorvik::ui
