#include "table/table_csv.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QRegularExpression>
#include <QSaveFile>
#include <QStringConverter>
#include <QStringList>
#include <cmath>
#include <utility>

namespace velo {

namespace {

QString cornerText(TableKind kind, PressureUnit unit) {
    if (kind == TableKind::Table2D) return "RPM";
    return unit == PressureUnit::InHg ? "MAP/RPM" : "MAP (" + unitName(unit) + ")/RPM";
}

QChar separatorOf(const QString& line) {
    if (line.contains('\t')) return '\t';
    if (line.contains(';')) return ';';
    return ',';
}

// Quotes as spreadsheets write them: a quoted field may hold the separator ("21,2") and a
// doubled quote. A comma left in a field can only be a decimal comma.
QStringList fields(const QString& line, QChar sep) {
    QStringList out;
    QString f;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (ch == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            f += line[++i];
        else if (ch == '"')
            quoted = !quoted;
        else if (ch == sep && !quoted)
            out << std::exchange(f, QString());
        else
            f += ch;
    }
    out << f;
    for (QString& field : out) field = field.trimmed().replace(',', '.');
    // Spreadsheets pad short rows with empty fields.
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

// What the grid shows, or the same to a tenth: a typed "20.25" goes out as "20.3" and a
// spreadsheet writes "26" for "26.0"; neither moves the cell a step.
bool keeps(const TableSession& table, int r, int c, const QString& field) {
    if (field == table.text(r, c)) return true;
    const auto v = number(field);
    return v && formatFixed(*v, 1) == formatFixed(table.value(r, c), 1);
}

// The grid row a MAP label stands for, to the label's own decimals; 0 for none.
int rowOfLabel(const QString& label, int mapSensor, PressureUnit unit) {
    const auto v = number(label);
    if (!v) return 0;
    for (int r = 1; r <= kMapRows; ++r) {
        const QString shown = mapLabelIn(r, mapSensor, unit);
        const auto point = shown.indexOf('.');
        const int decimals = point < 0 ? 0 : int(shown.size() - point - 1);
        if (std::abs(*v - shown.toDouble()) <= 0.5 * std::pow(10.0, -decimals) + 1e-9) return r;
    }
    return 0;
}

QString sensorName(int mapSensor) {
    return QString("%1 bar").arg(mapSensor + 1);
}

QString labelList(int mapSensor, PressureUnit unit) {
    QStringList labels;
    for (int r = 1; r <= kMapRows; ++r) labels << mapLabelIn(r, mapSensor, unit);
    return labels.join(", ") + " " + unitName(unit);
}

}  // namespace

QString tableToCsv(const TableSession& table, int mapSensor, PressureUnit unit) {
    QStringList lines;
    QStringList header{cornerText(table.kind(), unit)};
    for (int c = 1; c <= TableSession::kColumns; ++c) header << TableSession::rpmLabel(c);
    lines << header.join(',');
    for (int r = 1; r <= table.rows(); ++r) {
        QStringList line{table.kind() == TableKind::Table2D ? QString("ADV")
                                                            : mapLabelIn(r, mapSensor, unit)};
        for (int c = 1; c <= TableSession::kColumns; ++c) line << formatFixed(table.value(r, c), 1);
        lines << line.join(',');
    }
    return lines.join('\n') + '\n';
}

QString csvText(const QByteArray& bytes) {
    auto encoding = QStringConverter::encodingForData(bytes);
    // "Unicode text" without its mark: every other byte of the ASCII header is 0.
    if (!encoding && bytes.size() >= 2 && (bytes[0] == 0) != (bytes[1] == 0))
        encoding = bytes[0] ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    QStringDecoder decode(encoding.value_or(QStringConverter::Utf8));
    QString text = decode(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

std::variant<CsvImport, QString> readCsv(const TableSession& table, const QString& csv,
                                         int mapSensor, PressureUnit unit) {
    if (csv.contains(QChar(0)))
        return QString("The file is not text: a CSV file holds the table as lines of text.");
    // Each line with its number in the file, for the messages.
    QVector<std::pair<int, QString>> lines;
    const QStringList all = csv.split(QRegularExpression("\r\n|\r|\n"));
    for (int i = 0; i < all.size(); ++i) lines.push_back({i + 1, all[i]});
    auto blank = [](const QString& l, QChar sep) { return fields(l, sep).isEmpty(); };
    lines.removeIf([&](const auto& l) { return l.second.trimmed().isEmpty(); });
    QChar sep = lines.isEmpty() ? QChar(',') : separatorOf(lines[0].second);
    // Excel's own hint at the separator.
    static const QRegularExpression sepLine(R"re(^"?sep=(.)"?$)re",
                                            QRegularExpression::CaseInsensitiveOption);
    if (const auto m =
            lines.isEmpty() ? QRegularExpressionMatch() : sepLine.match(lines[0].second.trimmed());
        m.hasMatch()) {
        sep = m.captured(1)[0];
        lines.removeFirst();
    }
    // Rows a spreadsheet wrote of separators only.
    lines.removeIf([&](const auto& l) { return blank(l.second, sep); });
    if (lines.isEmpty()) return QString("The file holds no table.");

    const bool is2D = table.kind() == TableKind::Table2D;
    const QStringList header = fields(lines[0].second, sep);
    static const QRegularExpression corner3D(R"(^MAP\s*(?:\(\s*(\w+)\s*\)|(\w+))?\s*/\s*RPM$)",
                                             QRegularExpression::CaseInsensitiveOption);
    const QString corner = header.value(0);
    const auto m = corner3D.match(corner);
    if (is2D ? m.hasMatch() : corner.compare("RPM", Qt::CaseInsensitive) == 0)
        return QString(
                   "The file holds a %1 table (its first line starts \"%2\"); the open table "
                   "is the %3 one.")
            .arg(is2D ? "3D" : "2D", corner, is2D ? "2D" : "3D");
    bool headerFits = header.size() == TableSession::kColumns + 1 &&
                      (is2D ? corner.compare("RPM", Qt::CaseInsensitive) == 0 : m.hasMatch());
    for (int c = 1; headerFits && c <= TableSession::kColumns; ++c)
        headerFits = number(header[c]) == (c - 1) * 500.0;
    if (!headerFits)
        return QString("The first line must be \"%1\" and the 21 RPM values 0 to 10000.")
            .arg(is2D ? "RPM" : "MAP/RPM");
    if (!is2D) {
        const QString named = m.captured(1) + m.captured(2);
        if (!named.isEmpty()) {
            const auto u = parsePressureUnit(named);
            if (!u)
                return QString(
                           "The first line names the pressure unit \"%1\"; the known ones "
                           "are %2.")
                    .arg(named, unitList(", ", " and ", false));
            unit = *u;
        }
    }

    // Checked whole before anything changes.
    CsvImport import;
    QVector<int> lineOfRow(table.rows() + 1, 0);
    for (int i = 1; i < lines.size(); ++i) {
        const auto& [lineNo, text] = lines[i];
        const QStringList f = fields(text, sep);
        if (f.size() != TableSession::kColumns + 1)
            return QString("Line %1 must hold a label and 21 cells; it holds %2 fields.")
                .arg(lineNo)
                .arg(f.size());
        const int r = is2D ? (f[0].compare("ADV", Qt::CaseInsensitive) == 0 || lines.size() == 2)
                           : rowOfLabel(f[0], mapSensor, unit);
        if (r == 0)
            return is2D ? QString("Line %1: \"%2\" is not the 2D table's row; label it \"ADV\".")
                              .arg(lineNo)
                              .arg(f[0])
                        : QString("Line %1: \"%2\" is no MAP row of the %3 sensor (%4).")
                              .arg(lineNo)
                              .arg(f[0], sensorName(mapSensor), labelList(mapSensor, unit));
        if (lineOfRow[r])
            return QString("Line %1: the row %2 is given twice (also on line %3).")
                .arg(lineNo)
                .arg(is2D ? QString("ADV") : "MAP " + mapLabelIn(r, mapSensor, unit))
                .arg(lineOfRow[r]);
        lineOfRow[r] = lineNo;
        for (int c = 1; c <= TableSession::kColumns; ++c) {
            if (keeps(table, r, c, f[c])) continue;
            if (const auto refused = table.validateEdit(f[c]))
                return QString("Line %1 (%2), %3 RPM: \"%4\": %5")
                    .arg(lineNo)
                    .arg(f[0], TableSession::rpmLabel(c), f[c], *refused);
            import.cells.push_back({r, c, f[c], leadingNumber(f[c])});
        }
    }
    for (int r = 1; r <= table.rows(); ++r)
        if (!lineOfRow[r])
            return QString("The open table has %1 row%2 of cells; the file has no line for %3.")
                .arg(table.rows())
                .arg(table.rows() == 1 ? "" : "s")
                .arg(is2D ? QString("ADV") : "MAP " + mapLabelIn(r, mapSensor, unit));
    return import;
}

void applyCsv(TableSession& table, const CsvImport& import) {
    table.runAction("Import CSV", [&] {
        for (const auto& cell : import.cells) table.acceptEdit(cell.row, cell.col, cell.text);
    });
}

std::optional<QString> importCsv(TableSession& table, const QString& csv, int mapSensor,
                                 PressureUnit unit) {
    auto read = readCsv(table, csv, mapSensor, unit);
    if (const auto* refused = std::get_if<QString>(&read)) return *refused;
    applyCsv(table, std::get<CsvImport>(read));
    return std::nullopt;
}

std::optional<QString> writeTextFile(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return file.errorString();
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace velo
