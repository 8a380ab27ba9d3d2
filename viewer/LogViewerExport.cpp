// "Export visible entries...": the list's rows, in the order shown, written as the log's own
// text, CSV or JSON lines by the same record writer as kslog, so that both give the same bytes.

#include "LogViewerMain.h"
#include "LogViewerPasses.h"

#include "LogMessagesModel.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace {

struct TExportChoice {
    const char* Filter;
    TFBLogRecordFormat Format;
    const char* Suffix;
};

constexpr TExportChoice kExportChoices[] = {
    {"JSON lines (*.jsonl)", TFBLogRecordFormat::JsonLines, "jsonl"},
    {"CSV (*.csv)", TFBLogRecordFormat::Csv, "csv"},
    {"Log text (*.log *.txt)", TFBLogRecordFormat::Text, "log"},
};

}  // namespace

bool SameFile(const QString& a, const QString& b)
{
    const QFileInfo left(a);
    const QFileInfo right(b);
    return left.exists() && right.exists() && left.canonicalFilePath() == right.canonicalFilePath();
}

void TfmLogViewer::acExportVisibleExecute()
{
    QStringList filters;
    for (const TExportChoice& choice : kExportChoices)
        filters << QString::fromLatin1(choice.Filter);
    QString filter = filters.front();
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Export visible entries"), QString(),
                                                    filters.join(QStringLiteral(";;")), &filter);
    if (fileName.isEmpty())
        return;
    const auto chosen = std::find_if(std::begin(kExportChoices), std::end(kExportChoices),
                                     [&](const TExportChoice& choice) { return filter == QLatin1String(choice.Filter); });
    const TExportChoice& choice = chosen != std::end(kExportChoices) ? *chosen : kExportChoices[0];
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QLatin1Char('.') + QString::fromLatin1(choice.Suffix);
    ExportVisibleEntries(fileName, choice.Format);
}

void TfmLogViewer::ExportVisibleEntries(const QString& fileName, TFBLogRecordFormat format)
{
    // The log is only ever read: it is never the file written.
    if (SameFile(fileName, FLogFileName))
        throw std::runtime_error("The export cannot be written over the log it comes from: " +
                                 fileName.toStdString());
    const TFBLogRecordWriter writer(format, *FDescriptor, false, FDecoder);
    // The whole export appears at once, or the file stays as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error("Cannot write file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
    std::string out = writer.Header();
    for (int row = 0; row < FMessagesModel->RowCount(); ++row) {
        const FBLogMsg& msg = FMessagesModel->Row(row);
        const std::string_view text = FParser->ViewRange(msg.Offset, msg.Offset + msg.Length);
        writer.Append(out, FMessagesModel->EntryOfRow(row) + 1, msg, text, FMessagesModel->KindOfRow(row));
        if (out.size() >= (1u << 20)) {
            file.write(out.data(), static_cast<qint64>(out.size()));
            out.clear();
        }
    }
    file.write(out.data(), static_cast<qint64>(out.size()));
    if (!file.commit())
        throw std::runtime_error("Cannot write file \"" + fileName.toStdString() + "\". " +
                                 file.errorString().toStdString());
}
