// The 40 actions of the controls page in their order: the row button's control id, the action
// (its cfg.ini key in [INPUT] and [DefaultKeyLayout]), the button's text in the dialog, and on the
// first row of each group of actions the group's label.
#pragma once

#include "foundation/ConfigKeys.h"
#include "platform/win/text.h"

struct SInputRow {
    int id;
    const SConfigKey* binding; // [INPUT]
    const SConfigKey* layout; // [DefaultKeyLayout]
    const char* label;
    const char* group = nullptr; // Windows-1251
};

#define ZJ_INPUT_ROW(id, action)                                                                             \
    {                                                                                                        \
        id, &ConfigKey("INPUT", action), &ConfigKey("DefaultKeyLayout", action), action                      \
    }
#define ZJ_INPUT_GROUP(id, action, group)                                                                    \
    {                                                                                                        \
        id, &ConfigKey("INPUT", action), &ConfigKey("DefaultKeyLayout", action), action, CP1251(group)       \
    }

inline constexpr SInputRow kInputRows[] = {
    ZJ_INPUT_GROUP(1038, "FORWARD", "Вперед"),
    ZJ_INPUT_ROW(1060, "FORWARD2"),
    ZJ_INPUT_GROUP(1039, "BACKWARD", "Назад"),
    ZJ_INPUT_ROW(1040, "BACKWARD2"),
    ZJ_INPUT_GROUP(1041, "RIGHT", "Направо"),
    ZJ_INPUT_ROW(1042, "RIGHT2"),
    ZJ_INPUT_GROUP(1043, "LEFT", "Налево"),
    ZJ_INPUT_ROW(1044, "LEFT2"),
    ZJ_INPUT_GROUP(1045, "STRAFERIGHT", "Шаг вправо"),
    ZJ_INPUT_ROW(1047, "STRAFERIGHT2"),
    ZJ_INPUT_GROUP(1046, "STRAFELEFT", "Шаг влево"),
    ZJ_INPUT_ROW(1048, "STRAFELEFT2"),
    ZJ_INPUT_GROUP(1049, "JUMP", "Прыжок"),
    ZJ_INPUT_ROW(1050, "JUMP2"),
    ZJ_INPUT_GROUP(1051, "BRAKE", "Тормоз"),
    ZJ_INPUT_ROW(1052, "BRAKE2"),
    ZJ_INPUT_GROUP(1053, "RUN", "Форсаж"),
    ZJ_INPUT_GROUP(1054, "ALWAYSRUN", "Форсаж всегда"),
    ZJ_INPUT_GROUP(1055, "FIRE", "Легкое оружие"),
    ZJ_INPUT_ROW(1056, "FIRE2"),
    ZJ_INPUT_ROW(1057, "FIRE3"),
    ZJ_INPUT_GROUP(1058, "FIREALT", "Тяжелое оружие"),
    ZJ_INPUT_ROW(1059, "FIREALT2"),
    ZJ_INPUT_ROW(1061, "FIREALT3"),
    ZJ_INPUT_GROUP(1062, "ROCKET", "Ракеты"),
    ZJ_INPUT_ROW(1063, "ROCKET2"),
    ZJ_INPUT_ROW(1064, "ROCKET3"),
    ZJ_INPUT_GROUP(1065, "BOMB", "Бомбы"),
    ZJ_INPUT_GROUP(1066, "NIGHTLIGHTTOGGLE", "Прожектор"),
    ZJ_INPUT_GROUP(1067, "BOOSTER", "Бустер"),
    ZJ_INPUT_GROUP(1068, "ANTIROCKET", "Антиракеты"),
    ZJ_INPUT_GROUP(1069, "INVISIVILITY", "Невидимость"),
    ZJ_INPUT_GROUP(1070, "SHIELD", "Щит"),
    ZJ_INPUT_GROUP(1071, "STASIS", "Стазис"),
    { 1072, &ConfigKey("INPUT", "SHOWHOLD"), &ConfigKey("DefaultKeyLayout", "SHOWHOLD"), "SHOW_HOLD",
        CP1251("Трюм") },
    ZJ_INPUT_GROUP(1073, "SHOWMAP", "Карта"),
    ZJ_INPUT_GROUP(1074, "SHOWJOURNAL", "Журнал"),
    ZJ_INPUT_GROUP(1075, "SHOWINFO", "Информация"),
    ZJ_INPUT_GROUP(1076, "CHANGEAMMO", "Ракеты/Бомбы"),
    ZJ_INPUT_GROUP(1006, "SELECT", "Пометка цели"),
};

#undef ZJ_INPUT_ROW
#undef ZJ_INPUT_GROUP

inline constexpr int kInputRowCount = int(sizeof kInputRows / sizeof kInputRows[0]);
static_assert(kInputRowCount == 40);
