// The option boxes of the main window: the rules as the user meets them,
// the window and the options model in step, and captions that fit.

#include <QCheckBox>
#include <QFocusEvent>
#include <QFontInfo>
#include <QStyle>
#include <QStyleOptionButton>

#include "app/box_places.h"
#include "tests/app/gui_test_support.h"

namespace pelloran::testing {
namespace {

class OptionBoxesTest : public ProgramTest {
 protected:
  MainWindow& form() { return windows->main_window; }
  QCheckBox* box(int number) { return form().OptionBox(number); }

  void Click(QCheckBox* check_box) {
    QTest::mouseClick(check_box, Qt::LeftButton, {}, QPoint(6, check_box->height() / 2));
  }

  // Every box agrees with the model the engine reads.
  void ExpectInStep() {
    for (const BoxDesign& design : CleaningOptions::Designs()) {
      EXPECT_EQ(box(design.number)->isChecked(), form().cleaning_options().IsTicked(design.number))
          << "box " << design.number;
    }
  }

  bool AllPropertyBoxesTicked() {
    for (int number : CleaningOptions::PropertyBoxes()) {
      if (!box(number)->isChecked()) return false;
    }
    return true;
  }
};

TEST_F(OptionBoxesTest, TickingOverrideClearsOverrideExceptTablesAndBack) {
  ShowMainWindow();
  ASSERT_TRUE(box(5)->isChecked());
  Click(box(17));
  EXPECT_TRUE(box(17)->isChecked());
  EXPECT_FALSE(box(5)->isChecked());
  ExpectInStep();

  Click(box(17));  // clearing it changes nothing else
  EXPECT_FALSE(box(17)->isChecked());
  EXPECT_FALSE(box(5)->isChecked());

  box(17)->setChecked(true);  // a change by the program runs the rule as a click does
  box(5)->setChecked(true);
  EXPECT_FALSE(box(17)->isChecked());
  ExpectInStep();
}

TEST_F(OptionBoxesTest, AllElementsTicksEveryPropertyBoxAndNoEliminationBox) {
  ShowMainWindow();
  box(18)->setChecked(false);
  box(29)->setChecked(false);
  Click(box(28));
  EXPECT_TRUE(box(28)->isChecked());
  EXPECT_TRUE(AllPropertyBoxesTicked());
  EXPECT_FALSE(box(18)->isChecked());
  EXPECT_FALSE(box(29)->isChecked());
  EXPECT_TRUE(box(5)->isChecked());
  EXPECT_FALSE(box(17)->isChecked());
  ExpectInStep();
}

TEST_F(OptionBoxesTest, FocusOntoATickedAllElementsTicksClearedBoxesAgain) {
  ShowMainWindow();
  box(28)->setChecked(true);
  box(3)->setChecked(false);
  box(60)->setChecked(false);
  box(1)->setFocus(Qt::TabFocusReason);

  box(28)->setFocus(Qt::TabFocusReason);  // focus received
  EXPECT_TRUE(box(3)->isChecked());
  EXPECT_TRUE(box(60)->isChecked());

  box(3)->setChecked(false);
  box(17)->setFocus(Qt::TabFocusReason);  // focus lost
  EXPECT_TRUE(box(3)->isChecked());
  ExpectInStep();
}

TEST_F(OptionBoxesTest, ClickingATickedAllElementsWithoutFocusLeavesAllTickedAndItClear) {
  ShowMainWindow();
  box(28)->setChecked(true);
  box(44)->setChecked(false);
  box(1)->setFocus(Qt::TabFocusReason);
  ASSERT_FALSE(box(28)->hasFocus());

  Click(box(28));
  EXPECT_FALSE(box(28)->isChecked());
  EXPECT_TRUE(AllPropertyBoxesTicked());
}

TEST_F(OptionBoxesTest, WindowLosingActivationIsNoFocusChangeOfAllElements) {
  ShowMainWindow();
  box(28)->setChecked(true);
  box(6)->setChecked(false);
  QFocusEvent deactivated(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QCoreApplication::sendEvent(box(28), &deactivated);
  EXPECT_FALSE(box(6)->isChecked());
}

TEST_F(OptionBoxesTest, UseAllAttributesWorksOnlyWhileAllElementsIsClear) {
  ShowMainWindow();
  Child<QToolButton>(form(), "allPropertiesButton")->click();
  EXPECT_TRUE(box(28)->isChecked());
  EXPECT_TRUE(AllPropertyBoxesTicked());

  box(10)->setChecked(false);
  Child<QToolButton>(form(), "allPropertiesButton")->click();  // already ticked: nothing changes
  EXPECT_FALSE(box(10)->isChecked());

  box(28)->setChecked(false);
  Child<QToolButton>(form(), "allPropertiesButton")->click();
  EXPECT_TRUE(box(10)->isChecked());
  ExpectInStep();
}

TEST_F(OptionBoxesTest, RemoveImportedStylesTicksImportAndStaysPressed) {
  ShowMainWindow();
  box(29)->setChecked(false);
  Child<QToolButton>(form(), "skipImportsButton")->click();
  EXPECT_TRUE(box(29)->isChecked());
  EXPECT_TRUE(Child<QToolButton>(form(), "skipImportsButton")->isChecked());

  box(29)->setChecked(false);  // clearing the box by hand does not release the button
  EXPECT_TRUE(Child<QToolButton>(form(), "skipImportsButton")->isChecked());
  Child<QToolButton>(form(), "skipImportsButton")
      ->click();  // pressing again only ticks the box again
  EXPECT_TRUE(Child<QToolButton>(form(), "skipImportsButton")->isChecked());
  EXPECT_TRUE(box(29)->isChecked());
}

TEST_F(OptionBoxesTest, EveryCaptionFitsItsBoxInTheDesignFont) {
  ShowMainWindow();
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    QCheckBox* check_box = box(design.number);
    EXPECT_EQ(QFontInfo(check_box->font()).family(), "Liberation Sans");
    EXPECT_EQ(check_box->font().pixelSize(), 11);
    QStyleOptionButton option;
    option.initFrom(check_box);
    const QStyle* style = check_box->style();
    const int needed = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, check_box) +
                       style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, check_box) +
                       check_box->fontMetrics().horizontalAdvance(check_box->text());
    const BoxPlace place = PlaceOfBox(design.number);
    EXPECT_LE(needed, place.width) << "CheckBox" << design.number << " needs " << needed;
    EXPECT_EQ(check_box->width(), place.width);
    const int frame_width = design.frame == BoxFrame::kProperties ? 465 : 345;
    EXPECT_LE(place.left + place.width, frame_width) << "box " << design.number;
  }
}

TEST_F(OptionBoxesTest, HintsAreTooltipsAndPropertyBoxesCarryHelpEight) {
  ShowMainWindow();
  EXPECT_EQ(box(20)->toolTip(), "атрибут background-image");
  EXPECT_EQ(box(26)->toolTip(), "атрибут background-color");
  EXPECT_TRUE(box(28)->toolTip().isEmpty());
  EXPECT_EQ(Child<QGroupBox>(form(), "eliminationFrame")->title(), "Устранить:");
  EXPECT_EQ(Child<QLabel>(form(), "colorPropertiesLabel")->text(), "свойства \"цвет\" и \"фон\":");
}

}  // namespace
}  // namespace pelloran::testing
