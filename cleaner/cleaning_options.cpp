#include "cleaner/cleaning_options.h"

#include <algorithm>

namespace pelloran {
namespace {

constexpr BoxFrame P = BoxFrame::kProperties;
constexpr BoxFrame E = BoxFrame::kElimination;

// The boxes as the window shows them, in reading order within each frame.
constexpr BoxDesign kDesigns[] = {
    // свойства шрифтов:
    {1, P, "семейство", "атрибут font-family, значением которого является семейство шрифтов", true},
    {22, P, "вес", "атрибут font-weight", false},
    {25, P, "шрифт", "атрибут font", true},
    {21, P, "вариант", "атрибут font-variant", false},
    {2, P, "размер", "атрибут font-size", true},
    {4, P, "начертание", "атрибут font-style", true},
    // свойства "цвет" и "фон":
    {6, P, "цвет", "атрибут color", false},
    {26, P, "цвет обоев", "атрибут background-color", false},
    {20, P, "рисунок фона", "атрибут background-image", false},
    {27, P, "положение фона", "атрибут background-position", false},
    {30, P, "привязка фона", "атрибут background-attachment", false},
    {19, P, "повтор рисунка фона", "атрибут background-repeat", false},
    {7, P, "свойства фона в целом", "атрибут background", true},
    // свойства текста:
    {8, P, "установка интервалов", "атрибут word-spacing", false},
    {33, P, "высота строки", "атрибут line-height", false},
    {31, P, "установка трекинга", "атрибут letter-spacing", false},
    {10, P, "оформление текста", "атрибут text-decoration", false},
    {12, P, "выравнивание текста", "атрибут text-align", true},
    {32, P, "преобразование текста", "атрибут text-transform", false},
    {13, P, "абзацный отступ", "атрибут text-indent", true},
    {11, P, "вертикальное выравнивание текста", "атрибут vertical-align", true},
    // свойства полей:
    {34, P, "верхняя граница", "атрибут margin-top", false},
    {3, P, "правая граница", "атрибут margin-right", false},
    {36, P, "левая граница", "атрибут margin-left", false},
    {38, P, "правый отступ", "атрибут padding-right", false},
    {35, P, "нижняя граница", "атрибут margin-bottom", false},
    {37, P, "верхний отступ", "атрибут padding-top", false},
    {39, P, "нижний отступ", "атрибут padding-bottom", false},
    {40, P, "левый отступ", "атрибут padding-left", false},
    {14, P, "обобщающее свойство \"граница\"", "атрибут margin", true},
    {41, P, "обобщающее свойство \"отступ\"", "атрибут padding", true},
    {42, P, "ширина верхней рамки", "атрибут border-top-width", false},
    {43, P, "ширина правой рамки", "атрибут border-right-width", false},
    {45, P, "ширина левой рамки", "атрибут border-left-width", false},
    {44, P, "ширина нижней рамки", "атрибут border-bottom-width", false},
    {46, P, "обобщающее свойство \"ширина рамки\"", "атрибут border-width", true},
    {47, P, "цвет рамки", "атрибут border-color", false},
    {48, P, "стиль рамки", "атрибут border-style", false},
    {49, P, "обобщающее свойство \"верхняя рамка\"", "атрибут border-top", true},
    {50, P, "обобщающее свойство \"правая рамка\"", "атрибут border-right", true},
    {51, P, "обобщающее свойство \"нижняя рамка\"", "атрибут border-bottom", true},
    {52, P, "обобщающее свойство \"левая рамка\"", "атрибут border-left", true},
    {53, P, "обобщающее свойство \"рамка\"", "атрибут border", true},
    {54, P, "свойство \"ширина\"", "атрибут width", false},
    {55, P, "свойство \"высота\"", "атрибут height", false},
    {56, P, "свойство \"плавающий\"", "атрибут float", false},
    {57, P, "свойство \"чисто\"", "атрибут clear", false},
    // свойства-классификации:
    {58, P, "свойство \"показ\"", "атрибут display", true},
    {16, P, "установка пробелов", "атрибут white-space", false},
    {59, P, "тип маркера перечня", "атрибут list-style-type", false},
    {60, P, "рисунок маркера перечня", "атрибут list-style-image", false},
    {61, P, "отступ маркера перечня", "атрибут list-style-position", false},
    {15, P, "обобщающее свойство \"перечень\"", "атрибут 'list-style'", true},
    // все элементы
    {28, P, "все элементы", "", false},
    // Устранить:
    {17, E, "переопределение стилей", "", false},
    {29, E, "импортирование стилей", "", true},
    {18, E, "использование дескрипторов <span> и <div>",
     "данные дескрипторы позволяют применять к конкретным элементам атрибуты форматирования "
     "текста",
     true},
    {5, E, "переопределение стилей (кроме таблиц)", "", true},
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
