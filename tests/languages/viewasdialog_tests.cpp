// The "View As ..." dialog: its list, OK, Cancel and a double click.
#include "editor/viewasdialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace pw;

namespace {
const QStringList Labels = {QStringLiteral("C"), QStringLiteral("C++"), QStringLiteral("Python"),
                            QStringLiteral("Text")};

void click(CViewAsManagerDialog &dialog, QDialogButtonBox::StandardButton which)
{
    QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(which), Qt::LeftButton);
}
} // namespace

TEST(ViewAsDialog, ListStartsAtTheCurrentOneOkAndDoubleClickChooseCancelDoesNot)
{
    CViewAsManagerDialog ok(Labels, 2);
    auto *list = ok.findChild<QListWidget *>(QStringLiteral("1009"));
    ASSERT_EQ(list, ok.list());
    ASSERT_EQ(list->count(), Labels.size());
    for (int i = 0; i < Labels.size(); ++i)
        EXPECT_EQ(list->item(i)->text(), Labels[i]);
    EXPECT_EQ(list->currentRow(), 2) << "the list starts at the current language";
    EXPECT_EQ(ok.selectedIndex(), -1) << "nothing is chosen before OK";
    ok.show();
    list->setCurrentRow(3);
    click(ok, QDialogButtonBox::Ok);
    EXPECT_EQ(ok.result(), QDialog::Accepted);
    EXPECT_EQ(ok.selectedIndex(), 3);

    CViewAsManagerDialog twice(Labels, 0);
    twice.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&twice));
    const QRect rect = twice.list()->visualItemRect(twice.list()->item(1));
    // A real double click starts with a press on the same item.
    QTest::mouseClick(twice.list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(twice.list()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(twice.result(), QDialog::Accepted);
    EXPECT_EQ(twice.selectedIndex(), 1);
    EXPECT_FALSE(twice.isVisible());

    CViewAsManagerDialog cancel(Labels, 1);
    cancel.show();
    click(cancel, QDialogButtonBox::Cancel);
    EXPECT_EQ(cancel.result(), QDialog::Rejected);
    EXPECT_EQ(cancel.selectedIndex(), -1);
}

TEST(ViewAsDialog, EmptyListOrOutOfRangeSelectionGivesNoIndex)
{
    CViewAsManagerDialog empty({}, 0);
    empty.show();
    click(empty, QDialogButtonBox::Ok);
    EXPECT_EQ(empty.result(), QDialog::Accepted);
    EXPECT_EQ(empty.selectedIndex(), -1);

    CViewAsManagerDialog outside(Labels, 7);
    EXPECT_EQ(outside.list()->currentRow(), -1);
    outside.show();
    click(outside, QDialogButtonBox::Ok);
    EXPECT_EQ(outside.selectedIndex(), -1);
}
