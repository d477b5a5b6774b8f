// The "View As ..." dialog: its list, OK, Cancel and a double click.
#include "editor/viewasdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace pw;

namespace {
const QStringList Labels = {QStringLiteral("C"), QStringLiteral("C++"), QStringLiteral("Python"),
                            QStringLiteral("Text")};

QPushButton *button(CViewAsManagerDialog &dialog, QDialogButtonBox::StandardButton which)
{
    return dialog.findChild<QDialogButtonBox *>()->button(which);
}
} // namespace

TEST(ViewAsDialog, ShowsEveryLanguageWithTheInitialSelection)
{
    CViewAsManagerDialog dialog(Labels, 2);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("View As ..."));
    QStringList texts;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Select View As Parser")));

    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("1009"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), Labels.size());
    for (int i = 0; i < Labels.size(); ++i)
        EXPECT_EQ(list->item(i)->text(), Labels[i]);
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(dialog.selectedIndex(), -1) << "nothing is chosen before OK";
}

TEST(ViewAsDialog, OkTakesTheCurrentSelection)
{
    CViewAsManagerDialog dialog(Labels, 0);
    dialog.show();
    dialog.list()->setCurrentRow(3);
    QTest::mouseClick(button(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedIndex(), 3);
}

TEST(ViewAsDialog, DoubleClickChoosesTheItem)
{
    CViewAsManagerDialog dialog(Labels, 0);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QListWidget *list = dialog.list();
    const QRect rect = list->visualItemRect(list->item(1));
    // A real double click starts with a press on the same item.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedIndex(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ViewAsDialog, CancelChoosesNothing)
{
    CViewAsManagerDialog dialog(Labels, 1);
    dialog.show();
    QTest::mouseClick(button(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.selectedIndex(), -1);
}

TEST(ViewAsDialog, EmptyListOrOutOfRangeSelectionGivesNoIndex)
{
    CViewAsManagerDialog empty({}, 0);
    empty.show();
    QTest::mouseClick(button(empty, QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.selectedIndex(), -1);

    CViewAsManagerDialog outside(Labels, 7);
    EXPECT_EQ(outside.list()->currentRow(), -1);
    outside.show();
    QTest::mouseClick(button(outside, QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_EQ(outside.selectedIndex(), -1);
}
