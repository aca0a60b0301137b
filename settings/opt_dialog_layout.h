// The setup dialog's layout: every control with its place and size in pixels within the client
// area (laid out for 96 pixels per inch), its text and font, in the order the form creates them.
// Both backends build the dialog from this table.
#pragma once

#include <array>
#include <cstdint>

namespace marulex {

inline constexpr char kOptDialogCaption[] = "Setup";
inline constexpr std::int32_t kOptDialogClientWidth = 181;
inline constexpr std::int32_t kOptDialogClientHeight = 210;

enum class ControlKind { kLabel, kImage, kButton, kRadioButton, kEdit };

struct ControlFont {
  const char* face;  // UTF-8
  std::int32_t pixel_height;
  bool shift_jis;  // the font's character set is Shift-JIS rather than ANSI
};

inline constexpr ControlFont kFormFont = {"MS Sans Serif", 12, false};

struct DialogControl {
  const char* name;
  ControlKind kind;
  std::int32_t left, top, width, height;
  const char* text;  // UTF-8; the count field's is filled in at creation
  ControlFont font;
  std::int32_t tab_order;     // -1: not a tab stop
  std::int32_t radio_number;  // 1 to 4 for the scene buttons, else 0
  std::int32_t max_length;    // what the user may type into an edit field; 0: no limit
};

// clang-format off
inline constexpr std::array<DialogControl, 11> kOptDialogControls = {{
  // name           kind                       left top  width height text           font                               tab radio max
  {"Label1",       ControlKind::kLabel,        55,  16,  57,  20, "Marulex",     {"MS Sans Serif", 16, false},       -1, 0, 0},
  {"Image1",       ControlKind::kImage,        16,   8,  33,  33, "",            kFormFont,                          -1, 0, 0},
  {"Label2",       ControlKind::kLabel,        56,  40,  50,  13, "Version 1.0", {"MS Sans Serif", 12, false},       -1, 0, 0},
  {"Label3",       ControlKind::kLabel,        24, 144,  26,  13, "BALL",        kFormFont,                          -1, 0, 0},
  {"Button1",      ControlKind::kButton,       16, 176,  73,  25, "OK",          {"ＭＳ Ｐゴシック", 12, true},        0, 0, 0},
  {"RadioButton1", ControlKind::kRadioButton,  16,  64, 113,  17, "RANDOM",      kFormFont,                           1, 1, 0},
  {"RadioButton2", ControlKind::kRadioButton,  16,  80, 113,  17, "BOUND BALLS", kFormFont,                           2, 2, 0},
  {"RadioButton3", ControlKind::kRadioButton,  16,  96, 113,  17, "CORINTH",     kFormFont,                           3, 3, 0},
  {"Button2",      ControlKind::kButton,       96, 176,  65,  25, "CANCEL",      kFormFont,                           4, 0, 0},
  {"RadioButton4", ControlKind::kRadioButton,  16, 112, 113,  17, "TURN BALLS",  kFormFont,                           5, 4, 0},
  {"Edit1",        ControlKind::kEdit,         56, 140,  49,  21, "",            kFormFont,                           6, 0, 4},
}};
// clang-format on

}  // namespace marulex
