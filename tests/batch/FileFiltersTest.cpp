// Filter lists of the file dialogs and their Qt form.
#include "batch/FileFilters.h"

#include <gtest/gtest.h>

namespace tq1 {
namespace {

TEST(FileFilters, ListsTheAddFileFiltersInOrderInQtForm) {
  const QStringList expected{
      QStringLiteral("Файлы в формате TQ1 (*.tq1)"),
      QStringLiteral("Файлы в формате BMP (*.bmp)"),
      QStringLiteral("Файлы списков (*.lst)"),
      QStringLiteral("Все форматы (*.tq1 *.bmp *.lst)"),
      QStringLiteral("Все файлы (*)"),
  };
  EXPECT_EQ(addToListFilters().nameFilters(), expected);
  EXPECT_EQ(addToListFilters().filters()[3].patterns, QStringLiteral("*.tq1;*.bmp;*.lst"));
  EXPECT_EQ(imageFileFilters().nameFilters(),
            (QStringList{QStringLiteral("Файлы в формате TQ1 (*.tq1)"),
                         QStringLiteral("Файлы в формате BMP (*.bmp)"),
                         QStringLiteral("Все форматы (*.tq1 *.bmp)"),
                         QStringLiteral("Все файлы (*)")}));
  EXPECT_EQ(listFileFilters().nameFilters(), QStringList{QStringLiteral("Файлы списков (*.lst)")});
}

TEST(FileFilters, ResetEmptiesAndAddAppends) {
  FilterList list = addToListFilters();
  list.reset();
  EXPECT_TRUE(list.isEmpty());
  list.add(QStringLiteral("Файлы списков (*.lst)"), QStringLiteral("*.lst"));
  ASSERT_EQ(list.filters().size(), 1u);
  EXPECT_EQ(list.filters()[0], (FileFilter{QStringLiteral("Файлы списков (*.lst)"),
                                           QStringLiteral("*.lst")}));
  // A description without its own pattern part gets one; blanks around patterns go.
  EXPECT_EQ(qtNameFilter({QStringLiteral("Картинки"), QStringLiteral(" *.bmp ; *.tq1")}),
            QStringLiteral("Картинки (*.bmp *.tq1)"));
}

}  // namespace
}  // namespace tq1
