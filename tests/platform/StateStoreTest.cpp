#include "StateStore.h"

#include <QSettings>

#include <cstring>

#include <gtest/gtest.h>

namespace {

class StateStoreTest : public ::testing::Test {
protected:
    void SetUp() override { Raw().clear(); }
    void TearDown() override { Raw().clear(); }

    // The same storage as the store's, to plant values of any type.
    static QSettings& Raw()
    {
        static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrelon"),
                                  QStringLiteral("LogViewer"));
        settings.sync();
        return settings;
    }
    static void Plant(const QString& name, const QVariant& value)
    {
        Raw().setValue(QStringLiteral("STATE/") + name, value);
        Raw().sync();
    }
};

QString ErrorOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const EStateStoreError& e) {
        return QString::fromLocal8Bit(e.what());
    }
    return QStringLiteral("no error");
}

}  // namespace

TEST_F(StateStoreTest, RoundTripsEachValueWithItsType)
{
    {
        TStateStore store;
        store.WriteString(QStringLiteral("OpenFile"), QStringLiteral("logs/firebird, old.log"));
        store.WriteDateTime(QStringLiteral("DisplayStartDate"), 39772.49661);
        store.WriteInteger(QStringLiteral("DateFilter"), 4);
        store.Sync();
    }
    const TStateStore store;
    EXPECT_EQ(store.ReadString(QStringLiteral("OpenFile")), QStringLiteral("logs/firebird, old.log"));
    EXPECT_EQ(store.ReadDateTime(QStringLiteral("DisplayStartDate")), 39772.49661);
    EXPECT_EQ(store.ReadInteger(QStringLiteral("DateFilter")), 4);
    EXPECT_EQ(store.ReadInteger(QStringLiteral("Absent")), std::nullopt);
    EXPECT_EQ(store.ReadDateTime(QStringLiteral("Absent")), std::nullopt);

    Raw().sync();
    const QByteArray bytes = Raw().value(QStringLiteral("STATE/DisplayStartDate")).toByteArray();
    ASSERT_EQ(bytes.size(), 8);
    const double value = 39772.49661;
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<unsigned char>(bytes[i]), (bits >> (8 * i)) & 0xff) << "little-endian IEEE double";
}

TEST_F(StateStoreTest, AcceptsDecimalStringsForIntegers)
{
    Plant(QStringLiteral("DateFilter"), QStringLiteral(" 3 "));
    EXPECT_EQ(TStateStore().ReadInteger(QStringLiteral("DateFilter")), 3);
    Plant(QStringLiteral("DateFilter"), QStringLiteral("three"));
    EXPECT_EQ(TStateStore().ReadInteger(QStringLiteral("DateFilter")), std::nullopt);
    // A value stored as a string is written back as a string.
    TStateStore store;
    store.WriteInteger(QStringLiteral("DateFilter"), 2);
    store.Sync();
    Raw().sync();
    EXPECT_EQ(Raw().value(QStringLiteral("STATE/DateFilter")).toString(), QStringLiteral("2"));
}

TEST_F(StateStoreTest, ValuesOfAnotherTypeRaiseTheInvalidTypeError)
{
    Plant(QStringLiteral("DisplayStartDate"), QStringLiteral("yesterday"));
    Plant(QStringLiteral("DisplayEndDate"), QByteArray("1234"));
    Plant(QStringLiteral("DateFilter"), QByteArray("\x01\x00\x00\x00", 4));
    Plant(QStringLiteral("OpenFile"), QByteArray("/var/log/firebird.log"));
    const TStateStore store;
    EXPECT_EQ(ErrorOf([&] { store.ReadDateTime(QStringLiteral("DisplayStartDate")); }),
              QStringLiteral("Invalid data type for 'DisplayStartDate'"));
    EXPECT_EQ(ErrorOf([&] { store.ReadDateTime(QStringLiteral("DisplayEndDate")); }),
              QStringLiteral("Invalid data type for 'DisplayEndDate'"));
    EXPECT_EQ(ErrorOf([&] { store.ReadInteger(QStringLiteral("DateFilter")); }),
              QStringLiteral("Invalid data type for 'DateFilter'"));
    EXPECT_EQ(ErrorOf([&] { store.ReadString(QStringLiteral("OpenFile")); }),
              QStringLiteral("Invalid data type for 'OpenFile'"));
}
