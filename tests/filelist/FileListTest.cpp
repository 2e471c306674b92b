// The file list without a window: row texts, the packed row facts, the table model over a
// list it does not own, and its rows read from real files.

#include "FileListModel.h"
#include "Platform.h"
#include "RowFacts.h"
#include "RowTexts.h"
#include "TimeZone.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tarvolin;

Q_DECLARE_METATYPE(tarvolin::LocalDateTime)

namespace {

std::string MakeFile(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("x");
    return TextToPath(path);
}

} // namespace

class FileListTest : public QObject {
    Q_OBJECT

private slots:
    void attributeLetters_data();
    void attributeLetters();
    void longTimeFormat_data();
    void longTimeFormat();
    void timeText_data();
    void timeText();
    void headersAndSelection();
    void rowsReadTheirFiles();
    void rereadIsOneReset();
    void missingFile();
    void changesKeepRowsAndListInStep();
    void packedTimes_data();
    void packedTimes();
    void rowFactsKeepTheFourBits_data();
    void rowFactsKeepTheFourBits();
    void naturalOrder_data();
    void naturalOrder();
    void rowsShowWallClockAcrossClockChanges();

private:
    FileLayer layer;
};

void FileListTest::attributeLetters_data() {
    QTest::addColumn<int>("attributes");
    QTest::addColumn<QString>("letters");
    QTest::newRow("none") << 0 << "";
    QTest::newRow("read-only") << int(kReadOnly) << "R ";
    QTest::newRow("read-only archive") << (kReadOnly | kArchive) << "R A ";
    QTest::newRow("system before archive in bits, after in text") << (kSystem | kArchive) << "A S ";
    QTest::newRow("all four") << (kReadOnly | kHidden | kSystem | kArchive) << "R H A S ";
    QTest::newRow("unreadable") << int(kUnreadableAttributes) << "R H A S ";
    QTest::newRow("other bits ignored") << 0x10 << "";
}

void FileListTest::attributeLetters() {
    QFETCH(int, attributes);
    QFETCH(QString, letters);
    QCOMPARE(AttributeLetters(attributes), letters);
}

void FileListTest::longTimeFormat_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("format");
    QTest::newRow("US: no leading zero, marker after") << "en_US"
                                                       << "h:mm:ss AP";
    QTest::newRow("Germany: 24 hours, leading zero") << "de_DE"
                                                     << "HH:mm:ss";
    QTest::newRow("China: zone name before the time") << "zh_CN"
                                                      << "HH:mm:ss";
    QTest::newRow("Korea: marker before, own separators") << "ko_KR"
                                                          << "AP h시 mm분 ss초";
    QTest::newRow("C") << "C"
                       << "HH:mm:ss";
}

void FileListTest::longTimeFormat() {
    QFETCH(QString, locale);
    QFETCH(QString, format);
    QCOMPARE(LongTimeFormatOf(QLocale(locale)), format);
}

void FileListTest::timeText_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("millisecond");
    QTest::addColumn<QString>("text");
    QTest::newRow("US afternoon") << "en_US" << 13 << 5 << 7 << 0 << "3/9/24 1:05:07 PM";
    QTest::newRow("US morning") << "en_US" << 9 << 0 << 1 << 0 << "3/9/24 9:00:01 AM";
    QTest::newRow("midnight shows the date only") << "en_US" << 0 << 0 << 0 << 0 << "3/9/24";
    QTest::newRow("midnight whatever the milliseconds")
        << "en_US" << 0 << 0 << 0 << 999 << "3/9/24";
    QTest::newRow("one second past midnight")
        << "en_US" << 0 << 0 << 1 << 0 << "3/9/24 12:00:01 AM";
    QTest::newRow("Germany") << "de_DE" << 8 << 30 << 0 << 0 << "09.03.24 08:30:00";
    QTest::newRow("no locale: m/d/yy") << "C" << 17 << 45 << 30 << 0 << "3/9/24 17:45:30";
}

void FileListTest::timeText() {
    QFETCH(QString, locale);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);
    QFETCH(int, millisecond);
    QFETCH(QString, text);
    const LocalDateTime value{2024, 3, 9, hour, minute, second, millisecond};
    QCOMPARE(FormatTimeText(value, TimeTextFormatOf(QLocale(locale))), text);
}

void FileListTest::headersAndSelection() {
    FileNames names;
    FileListModel model(layer, names, TimeTextFormatOf(QLocale(QStringLiteral("en_US"))), nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), 4);
    const QStringList captions = {"File Name", "Property", "Create Time", "Modify Time"};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), captions[column]);
    model.Append({"/nowhere/a"});
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsSelectable);
    for (int column = 1; column < 4; ++column) {
        QVERIFY(!(model.flags(model.index(0, column)) & Qt::ItemIsSelectable));
        QVERIFY(!(model.flags(model.index(0, column)) & Qt::ItemIsEditable));
    }
}

void FileListTest::rowsReadTheirFiles() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string first = MakeFile(dir, "first.txt");
    const std::string second = MakeFile(dir, "second");
    QVERIFY(ApplyAttributes(second, kHidden));
    FileNames names;
    FileListModel model(layer, names, TimeTextFormatOf(QLocale(QStringLiteral("en_US"))), nullptr);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    model.Append({first});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(names, FileNames{first});
    QCOMPARE(model.index(0, 0).data().toString(), PathToText(first));
    QCOMPARE(model.index(0, 1).data().toString(), AttributeLetters(ReadAttributes(first)));
    const FileSummary summary = ReadFileSummary(first);
    QVERIFY(summary.modifyTime.has_value());
    const TimeTextFormat format = TimeTextFormatOf(QLocale(QStringLiteral("en_US")));
    QCOMPARE(model.index(0, 3).data().toString(), FormatTimeText(summary.modifyTime, format));
    QCOMPARE(model.index(0, 2).data().toString(), FormatTimeText(summary.creationTime, format));

    // A rename changes the entry in place and re-reads that row only, once.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetPathAt(0, second);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(names, FileNames{second});
    QCOMPARE(model.index(0, 0).data().toString(), PathToText(second));
    QCOMPARE(model.index(0, 1).data().toString(), AttributeLetters(ReadAttributes(second)));
}

void FileListTest::rereadIsOneReset() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FileNames names;
    for (int i = 0; i < 500; ++i)
        names.push_back(MakeFile(dir, QString::number(i)));
    names.push_back(names.front()); // the same path twice gives two rows
    FileListModel model(layer, names);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 501);
    QVERIFY(ApplyAttributes(names[250], kHidden));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
    model.RereadAll();
    QCOMPARE(resets.count(), 1);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(model.rowCount(), 501);
    QCOMPARE(model.index(250, 1).data().toString(), QStringLiteral("H "));
    for (int row : {0, 250, 499, 500})
        QCOMPARE(model.index(row, 0).data().toString(),
                 PathToText(names[static_cast<std::size_t>(row)]));
}

void FileListTest::missingFile() {
    FileNames names;
    FileListModel model(layer, names);
    model.Append({"/no/such/folder/file.txt"});
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("R H A S "));
    QCOMPARE(model.index(0, 2).data().toString(), QString());
    QCOMPARE(model.index(0, 3).data().toString(), QString());
}

void FileListTest::changesKeepRowsAndListInStep() {
    FileNames names;
    FileListModel model(layer, names);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.Append({"/x/a", "/x/b"});
    model.Append({"/x/c"});
    model.Append({});
    model.RemoveAt(1);
    QCOMPARE(names, (FileNames{"/x/a", "/x/c"}));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("/x/c"));
    model.Clear();
    QVERIFY(names.empty());
    QCOMPARE(model.rowCount(), 0);
}

void FileListTest::packedTimes_data() {
    QTest::addColumn<long long>("seconds");
    QTest::addColumn<unsigned>("nanoseconds");
    QTest::addColumn<unsigned>("kept"); // the nanoseconds a row keeps: whole milliseconds
    QTest::newRow("the epoch") << 0LL << 0u << 0u;
    QTest::newRow("milliseconds kept, the rest cut")
        << 1'700'000'000LL << 999'999'999u << 999'000'000u;
    QTest::newRow("Windows' far future") << 910'692'730'085LL << 1'000'000u << 1'000'000u;
    QTest::newRow("before the epoch") << -11'644'473'600LL << 500'000'000u << 500'000'000u;
    QTest::newRow("the earliest kept") << -(1LL << 52) << 0u << 0u;
    QTest::newRow("the latest kept") << (1LL << 52) - 1 << 999'000'000u << 999'000'000u;
}

void FileListTest::packedTimes() {
    QFETCH(long long, seconds);
    QFETCH(unsigned, nanoseconds);
    QFETCH(unsigned, kept);
    QCOMPARE(PackedTime(ExactTime{seconds, nanoseconds}).Unpacked(),
             std::optional(ExactTime{seconds, kept}));
    QCOMPARE(PackedTime(std::nullopt).Unpacked(), std::optional<ExactTime>());
}

void FileListTest::rowFactsKeepTheFourBits_data() {
    QTest::addColumn<int>("read");
    QTest::addColumn<QString>("letters");
    QTest::newRow("unreadable") << int(kUnreadableAttributes) << "R H A S ";
    QTest::newRow("the four") << (kReadOnly | kHidden | kSystem | kArchive) << "R H A S ";
    QTest::newRow("other bits dropped, not read as unreadable") << 0x80 << "";
    QTest::newRow("directory and archive") << (0x10 | kArchive) << "A ";
}

void FileListTest::rowFactsKeepTheFourBits() {
    QFETCH(int, read);
    QFETCH(QString, letters);
    QCOMPARE(AttributeLetters(RowFacts(UtcFileSummary{read, {}, {}}).Attributes()), letters);
}

void FileListTest::naturalOrder_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("numbers by value")
        << "en_US" << QStringList{"pic 1", "pic 10", "pic 100", "pic 2"}
        << QStringList{"pic 1", "pic 2", "pic 10", "pic 100"};
    QTest::newRow("leading zeros count as the number; ties keep list order")
        << "en_US" << QStringList{"x 010", "x 9", "x 1", "x 01"}
        << QStringList{"x 1", "x 01", "x 9", "x 010"};
    QTest::newRow("case does not split the letters")
        << "en_US" << QStringList{"b 10", "B 2", "a", "C"} << QStringList{"a", "B 2", "b 10", "C"};
    QTest::newRow("accents beside their letter")
        << "fr_FR" << QStringList{"f", "été", "e", "ez"} << QStringList{"e", "été", "ez", "f"};
    QTest::newRow("Swedish puts Ä after Z")
        << "sv_SE" << QStringList{"Äpple", "zebra", "apa"} << QStringList{"apa", "zebra", "Äpple"};
    QTest::newRow("no locale: numbers still by value")
        << "C" << QStringList{"pic 10", "Pic 9", "pic 1"}
        << QStringList{"pic 1", "Pic 9", "pic 10"};
    QTest::newRow("folders first")
        << "en_US" << QStringList{"b/1", "a/2", "a/10"} << QStringList{"a/2", "a/10", "b/1"};
}

void FileListTest::naturalOrder() {
    QFETCH(QString, locale);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, sorted);
    FileNames names;
    for (const QString& name : listed)
        names.push_back(TextToPath(QStringLiteral("/d/") + name));
    FileListModel model(layer, names);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.SortByName(QLocale(locale));
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown << model.index(row, 0).data().toString().mid(3);
    QCOMPARE(shown, sorted);
    QCOMPARE(PathToText(names.back()), QStringLiteral("/d/") + sorted.back());
}

QTEST_GUILESS_MAIN(FileListTest)
// Rows keep the disk's UTC times and make them local only when shown: each shows its own
// moment's offset, summer or winter, and where the clocks go back the sort follows the wall
// clock the rows show, as it did when rows kept local times.
void FileListTest::rowsShowWallClockAcrossClockChanges() {
    const test::TimeZoneScope zone("Europe/Berlin");
    if (!test::TimeZoneInstalled("Europe/Berlin"))
        QSKIP("the tz database has no Europe/Berlin");
    struct Row {
        const char* name;
        std::int64_t utc;
        LocalDateTime shown;
    };
    const Row rows[] = {
        {"summer", test::UtcSeconds(2021, 7, 1, 10, 0, 0), {2021, 7, 1, 12, 0, 0, 0}},
        {"winter", test::UtcSeconds(2021, 12, 1, 10, 0, 0), {2021, 12, 1, 11, 0, 0, 0}},
        {"before", test::UtcSeconds(2021, 10, 31, 0, 30, 0), {2021, 10, 31, 2, 30, 0, 0}},
        {"after", test::UtcSeconds(2021, 10, 31, 1, 10, 0), {2021, 10, 31, 2, 10, 0, 0}},
    };
    QTemporaryDir dir;
    FileNames names;
    FileListModel model(layer, names, TimeTextFormatOf(QLocale(QStringLiteral("en_US"))), nullptr);
    for (const Row& row : rows) {
        const std::string path = MakeFile(dir, row.name);
        QVERIFY(test::WriteRawTimes(path, {{row.utc, 0}, {row.utc, 0}}));
        model.Append({path});
    }
    const TimeTextFormat format = TimeTextFormatOf(QLocale(QStringLiteral("en_US")));
    model.SortByModifyTime();
    const int sorted[] = {0, 3, 2, 1}; // summer, 02:10 after the change, 02:30 before it, winter
    for (int row = 0; row < 4; ++row) {
        const Row& expected = rows[sorted[row]];
        QCOMPARE(model.index(row, 0).data().toString(), dir.filePath(expected.name));
        QCOMPARE(model.index(row, 3).data().toString(), FormatTimeText(expected.shown, format));
    }
}

#include "FileListTest.moc"
