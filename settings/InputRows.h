// The 40 actions of the controls page in their order: the row button's control id, the action
// (its cfg.ini key in [INPUT] and [DefaultKeyLayout]) and the button's text in the dialog.
#pragma once

#include "foundation/ConfigKeys.h"

struct SInputRow {
    int id;
    const SConfigKey* binding; // [INPUT]
    const SConfigKey* layout; // [DefaultKeyLayout]
    const char* label;
};

#define ZJ_INPUT_ROW(id, action) { id, &ConfigKey("INPUT", action), &ConfigKey("DefaultKeyLayout", action), action }

inline constexpr SInputRow kInputRows[] = {
    ZJ_INPUT_ROW(1038, "FORWARD"),
    ZJ_INPUT_ROW(1060, "FORWARD2"),
    ZJ_INPUT_ROW(1039, "BACKWARD"),
    ZJ_INPUT_ROW(1040, "BACKWARD2"),
    ZJ_INPUT_ROW(1041, "RIGHT"),
    ZJ_INPUT_ROW(1042, "RIGHT2"),
    ZJ_INPUT_ROW(1043, "LEFT"),
    ZJ_INPUT_ROW(1044, "LEFT2"),
    ZJ_INPUT_ROW(1045, "STRAFERIGHT"),
    ZJ_INPUT_ROW(1047, "STRAFERIGHT2"),
    ZJ_INPUT_ROW(1046, "STRAFELEFT"),
    ZJ_INPUT_ROW(1048, "STRAFELEFT2"),
    ZJ_INPUT_ROW(1049, "JUMP"),
    ZJ_INPUT_ROW(1050, "JUMP2"),
    ZJ_INPUT_ROW(1051, "BRAKE"),
    ZJ_INPUT_ROW(1052, "BRAKE2"),
    ZJ_INPUT_ROW(1053, "RUN"),
    ZJ_INPUT_ROW(1054, "ALWAYSRUN"),
    ZJ_INPUT_ROW(1055, "FIRE"),
    ZJ_INPUT_ROW(1056, "FIRE2"),
    ZJ_INPUT_ROW(1057, "FIRE3"),
    ZJ_INPUT_ROW(1058, "FIREALT"),
    ZJ_INPUT_ROW(1059, "FIREALT2"),
    ZJ_INPUT_ROW(1061, "FIREALT3"),
    ZJ_INPUT_ROW(1062, "ROCKET"),
    ZJ_INPUT_ROW(1063, "ROCKET2"),
    ZJ_INPUT_ROW(1064, "ROCKET3"),
    ZJ_INPUT_ROW(1065, "BOMB"),
    ZJ_INPUT_ROW(1066, "NIGHTLIGHTTOGGLE"),
    ZJ_INPUT_ROW(1067, "BOOSTER"),
    ZJ_INPUT_ROW(1068, "ANTIROCKET"),
    ZJ_INPUT_ROW(1069, "INVISIVILITY"),
    ZJ_INPUT_ROW(1070, "SHIELD"),
    ZJ_INPUT_ROW(1071, "STASIS"),
    { 1072, &ConfigKey("INPUT", "SHOWHOLD"), &ConfigKey("DefaultKeyLayout", "SHOWHOLD"), "SHOW_HOLD" },
    ZJ_INPUT_ROW(1073, "SHOWMAP"),
    ZJ_INPUT_ROW(1074, "SHOWJOURNAL"),
    ZJ_INPUT_ROW(1075, "SHOWINFO"),
    ZJ_INPUT_ROW(1076, "CHANGEAMMO"),
    ZJ_INPUT_ROW(1006, "SELECT"),
};

#undef ZJ_INPUT_ROW

inline constexpr int kInputRowCount = int(sizeof kInputRows / sizeof kInputRows[0]);
static_assert(kInputRowCount == 40);
