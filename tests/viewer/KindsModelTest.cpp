#include "KindsModel.h"
#include "TempFolder.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QSortFilterProxyModel>

#include <gtest/gtest.h>

TEST(KindsModelTest, RowsNameTheirKindsAndChecksFollowTheHiddenSet)
{
    TempFolder folder;
    const TFBLogDescriptor catalogue(folder.Write("c.descr", "; @severity warning\n; @facility NET\n"
                                                             "errno = 10054 ** Connection reset. More.\n"
                                                             "; @severity critical\n; @facility SYSTEM\n"
                                                             "bugcheck ** Internal error (bugcheck). More.\n"));
    TKindsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.SetCatalogue(&catalogue);
    model.SetSummaries({{kUnknownKind, 4, 0, 0}, {1, 120, 46000.25, 46001.5}, {2, 1, 46000.5, 46000.5}});
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(1, TKindsModel::ColumnSeverity).data().toString(), QStringLiteral("Warning"));
    EXPECT_EQ(model.index(1, TKindsModel::ColumnFacility).data().toString(), QStringLiteral("NET"));
    EXPECT_EQ(model.index(1, TKindsModel::ColumnTitle).data().toString(), QStringLiteral("Connection reset"));
    EXPECT_EQ(model.index(1, TKindsModel::ColumnCount).data().toString(), QStringLiteral("120"));
    EXPECT_EQ(model.index(0, TKindsModel::ColumnFirst).data().toString(), QStringLiteral("-?-"));
    EXPECT_EQ(model.MatchTextOf(0), std::string());
    EXPECT_EQ(model.MatchTextOf(2), "bugcheck");

    QSignalSpy changed(&model, &TKindsModel::HiddenKindsChanged);
    const QModelIndex check = model.index(1, TKindsModel::ColumnSeverity);
    EXPECT_EQ(check.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_TRUE(check.flags() & Qt::ItemIsUserCheckable);
    EXPECT_TRUE(model.setData(check, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_EQ(model.HiddenMatchTexts(), std::set<std::string>{"errno = 10054"});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_FALSE(model.setData(model.index(1, TKindsModel::ColumnCount), Qt::Unchecked, Qt::CheckStateRole));

    // Sorting by count or severity sorts numbers, not texts.
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(TKindsModel::SortRole);
    sorted.sort(TKindsModel::ColumnCount, Qt::DescendingOrder);
    EXPECT_EQ(sorted.index(0, TKindsModel::ColumnCount).data().toString(), QStringLiteral("120"));
    EXPECT_EQ(sorted.index(2, TKindsModel::ColumnCount).data().toString(), QStringLiteral("1"));
    sorted.sort(TKindsModel::ColumnSeverity, Qt::DescendingOrder);
    EXPECT_EQ(sorted.index(0, TKindsModel::ColumnSeverity).data().toString(), QStringLiteral("Critical"));
}
