#include "cleaner/cleaning_options.h"

#include <algorithm>

namespace pelloran {
namespace {

constexpr BoxFrame P = BoxFrame::kProperties;
constexpr BoxFrame E = BoxFrame::kElimination;

// The boxes as the window shows them, in reading order within each frame.
constexpr BoxDesign kDesigns[] = {
    // свойства шрифтов:
    {1, P, 8, 32, 81, "семейство",
     "атрибут font-family, значением которого является семейство шрифтов", true},
    {22, P, 96, 32, 49, "вес", "атрибут font-weight", false},
    {25, P, 152, 32, 57, "шрифт", "атрибут font", true},
    {21, P, 224, 32, 73, "вариант", "атрибут font-variant", false},
    {2, P, 296, 32, 65, "размер", "атрибут font-size", true},
    {4, P, 368, 32, 89, "начертание", "атрибут font-style", true},
    // свойства "цвет" и "фон":
    {6, P, 8, 72, 49, "цвет", "атрибут color", false},
    {26, P, 64, 72, 89, "цвет обоев", "атрибут background-color", false},
    {20, P, 152, 72, 97, "рисунок фона", "атрибут background-image", false},
    {27, P, 248, 72, 113, "положение фона", "атрибут background-position", false},
    {30, P, 360, 72, 97, "привязка фона", "атрибут background-attachment", false},
    {19, P, 8, 88, 129, "повтор рисунка фона", "атрибут background-repeat", false},
    {7, P, 152, 88, 145, "свойства фона в целом", "атрибут background", true},
    // свойства текста:
    {8, P, 8, 128, 137, "установка интервалов", "атрибут word-spacing", false},
    {33, P, 144, 128, 97, "высота строки", "атрибут line-height", false},
    {31, P, 248, 128, 121, "установка трекинга", "атрибут letter-spacing", false},
    {10, P, 8, 144, 121, "оформление текста", "атрибут text-decoration", false},
    {12, P, 144, 144, 137, "выравнивание текста", "атрибут text-align", true},
    {32, P, 280, 144, 145, "преобразование текста", "атрибут text-transform", false},
    {13, P, 8, 160, 113, "абзацный отступ", "атрибут text-indent", true},
    {11, P, 144, 160, 209, "вертикальное выравнивание текста", "атрибут vertical-align", true},
    // свойства полей:
    {34, P, 8, 200, 105, "верхняя граница", "атрибут margin-top", false},
    {3, P, 120, 200, 105, "правая граница", "атрибут margin-right", false},
    {36, P, 224, 200, 97, "левая граница", "атрибут margin-left", false},
    {38, P, 328, 200, 97, "правый отступ", "атрибут padding-right", false},
    {35, P, 8, 216, 105, "нижняя граница", "атрибут margin-bottom", false},
    {37, P, 120, 216, 97, "верхний отступ", "атрибут padding-top", false},
    {39, P, 224, 216, 97, "нижний отступ", "атрибут padding-bottom", false},
    {40, P, 328, 216, 97, "левый отступ", "атрибут padding-left", false},
    {14, P, 8, 232, 193, "обобщающее свойство \"граница\"", "атрибут margin", true},
    {41, P, 224, 232, 185, "обобщающее свойство \"отступ\"", "атрибут padding", true},
    {42, P, 8, 248, 145, "ширина верхней рамки", "атрибут border-top-width", false},
    {43, P, 152, 248, 137, "ширина правой рамки", "атрибут border-right-width", false},
    {45, P, 296, 248, 129, "ширина левой рамки", "атрибут border-left-width", false},
    {44, P, 8, 264, 137, "ширина нижней рамки", "атрибут border-bottom-width", false},
    {46, P, 152, 264, 225, "обобщающее свойство \"ширина рамки\"", "атрибут border-width", true},
    {47, P, 8, 280, 97, "цвет рамки", "атрибут border-color", false},
    {48, P, 88, 280, 97, "стиль рамки", "атрибут border-style", false},
    {49, P, 176, 280, 225, "обобщающее свойство \"верхняя рамка\"", "атрибут border-top", true},
    {50, P, 8, 296, 225, "обобщающее свойство \"правая рамка\"", "атрибут border-right", true},
    {51, P, 232, 296, 225, "обобщающее свойство \"нижняя рамка\"", "атрибут border-bottom", true},
    {52, P, 8, 312, 217, "обобщающее свойство \"левая рамка\"", "атрибут border-left", true},
    {53, P, 232, 312, 185, "обобщающее свойство \"рамка\"", "атрибут border", true},
    {54, P, 8, 328, 121, "свойство \"ширина\"", "атрибут width", false},
    {55, P, 128, 328, 121, "свойство \"высота\"", "атрибут height", false},
    {56, P, 264, 328, 145, "свойство \"плавающий\"", "атрибут float", false},
    {57, P, 8, 344, 113, "свойство \"чисто\"", "атрибут clear", false},
    // свойства-классификации:
    {58, P, 8, 384, 113, "свойство \"показ\"", "атрибут display", true},
    {16, P, 128, 384, 121, "установка пробелов", "атрибут white-space", false},
    {59, P, 256, 384, 129, "тип маркера перечня", "атрибут list-style-type", false},
    {60, P, 8, 400, 153, "рисунок маркера перечня", "атрибут list-style-image", false},
    {61, P, 176, 400, 153, "отступ маркера перечня", "атрибут list-style-position", false},
    {15, P, 8, 416, 201, "обобщающее свойство \"перечень\"", "атрибут 'list-style'", true},
    // все элементы
    {28, P, 360, 448, 97, "все элементы", "", false},
    // Устранить:
    {17, E, 8, 16, 153, "переопределение стилей", "", false},
    {29, E, 168, 16, 145, "импортирование стилей", "", true},
    {18, E, 8, 32, 313, "использование дескрипторов <span> и <div>",
     "данные дескрипторы позволяют применять к конкретным элементам атрибуты форматирования "
     "текста",
     true},
    {5, E, 8, 48, 273, "переопределение стилей (кроме таблиц)", "", true},
};

// Every number up to 61 except 5, 9, 17, 18, 23, 24, 28 and 29.
constexpr int kPropertyBoxes[] = {1,  2,  3,  4,  6,  7,  8,  10, 11, 12, 13, 14, 15, 16,
                                  19, 20, 21, 22, 25, 26, 27, 30, 31, 32, 33, 34, 35, 36,
                                  37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50,
                                  51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61};
static_assert(std::size(kPropertyBoxes) == 53);
static_assert(std::size(kDesigns) == 58);

}  // namespace

CleaningOptions::CleaningOptions() {
  for (const BoxDesign& design : kDesigns) ticked_[design.number] = design.ticked_at_start;
}

std::span<const BoxDesign> CleaningOptions::Designs() { return kDesigns; }

const BoxDesign* CleaningOptions::DesignOf(int box) {
  for (const BoxDesign& design : kDesigns) {
    if (design.number == box) return &design;
  }
  return nullptr;
}

std::span<const int> CleaningOptions::PropertyBoxes() { return kPropertyBoxes; }

bool CleaningOptions::IsPropertyBox(int box) {
  return std::binary_search(std::begin(kPropertyBoxes), std::end(kPropertyBoxes), box);
}

bool CleaningOptions::IsTicked(int box) const {
  return box >= 0 && box <= kHighestBox && ticked_[box];
}

void CleaningOptions::SetTicked(int box, bool ticked) {
  if (DesignOf(box) == nullptr || ticked_[box] == ticked) return;
  ticked_[box] = ticked;
  if (observer_) observer_(box, ticked);
  RunRuleOf(box);
}

void CleaningOptions::ApplyAllElements() {
  if (!ticked_[kAllElementsBox]) return;
  for (int box : kPropertyBoxes) SetTicked(box, true);
}

// What a box's click notification does; most boxes have no rule.
void CleaningOptions::RunRuleOf(int box) {
  switch (box) {
    case kAllElementsBox:
      ApplyAllElements();
      break;
    case kOverrideBox:
      if (ticked_[kOverrideBox]) SetTicked(kOverrideExceptTablesBox, false);
      break;
    case kOverrideExceptTablesBox:
      if (ticked_[kOverrideExceptTablesBox]) SetTicked(kOverrideBox, false);
      break;
    default:
      break;
  }
}

}  // namespace pelloran
