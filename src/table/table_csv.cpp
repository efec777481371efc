#include "table/table_csv.h"

#include "core/numeric.h"
#include "table/table_session.h"

#include <QSaveFile>
#include <QStringList>

namespace velo {

namespace {

QString cornerText(const TableSession& table) {
    return table.kind() == TableKind::Table2D ? "RPM" : "MAP/RPM";
}

QChar separatorOf(const QString& line) {
    if (line.contains('\t')) return '\t';
    if (line.contains(';')) return ';';
    return ',';
}

QStringList fields(const QString& line, QChar sep) {
    QStringList out = line.split(sep);
    for (QString& f : out) {
        f = f.trimmed();
        if (f.size() >= 2 && f.startsWith('"') && f.endsWith('"')) f = f.mid(1, f.size() - 2);
        if (sep != ',') f.replace(',', '.');
    }
    // Spreadsheets pad short rows with empty fields.
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

// What the grid shows, or what the export wrote for it: a typed "20.25" goes out as "20.3"
// and must come back as 20.25, not move a step.
bool unchanged(const TableSession& table, int r, int c, const QString& field) {
    return field == table.text(r, c) || field == formatFixed(table.value(r, c), 1);
}

}  // namespace

QString tableToCsv(const TableSession& table, const std::function<QString(int row)>& rowLabel) {
    QStringList lines;
    QStringList header{cornerText(table)};
    for (int c = 1; c <= TableSession::kColumns; ++c) header << TableSession::rpmLabel(c);
    lines << header.join(',');
    for (int r = 1; r <= table.rows(); ++r) {
        QStringList line{rowLabel(r)};
        for (int c = 1; c <= TableSession::kColumns; ++c) line << formatFixed(table.value(r, c), 1);
        lines << line.join(',');
    }
    return lines.join('\n') + '\n';
}

std::optional<QString> importCsv(TableSession& table, const QString& csv) {
    QStringList lines = csv.split('\n');
    for (QString& l : lines) l.remove('\r');
    lines.removeIf([](const QString& l) { return l.trimmed().isEmpty(); });
    if (lines.isEmpty()) return QString("The file holds no table.");
    const QChar sep = separatorOf(lines[0]);
    const QStringList header = fields(lines[0], sep);
    QStringList expected{cornerText(table)};
    for (int c = 1; c <= TableSession::kColumns; ++c) expected << TableSession::rpmLabel(c);
    if (header != expected)
        return QString("The first line must be \"%1\" and the 21 RPM values 0 to 10000.")
            .arg(expected[0]);
    if (lines.size() != table.rows() + 1)
        return QString("The open table has %1 row%2 of cells; the file has %3.")
            .arg(table.rows())
            .arg(table.rows() == 1 ? "" : "s")
            .arg(lines.size() - 1);

    // Checked whole before anything changes.
    QVector<QStringList> rows;
    for (int r = 1; r <= table.rows(); ++r) {
        const QStringList f = fields(lines[r], sep);
        if (f.size() != TableSession::kColumns + 1)
            return QString("Line %1 must hold a label and 21 cells; it holds %2 fields.")
                .arg(r + 1)
                .arg(f.size());
        for (int c = 1; c <= TableSession::kColumns; ++c) {
            if (unchanged(table, r, c, f[c])) continue;
            if (const auto refused = table.validateEdit(f[c]))
                return QString("Line %1 (%2), %3 RPM: \"%4\": %5")
                    .arg(r + 1)
                    .arg(f[0], TableSession::rpmLabel(c), f[c], *refused);
        }
        rows << f;
    }
    table.runAction("Import CSV", [&] {
        for (int r = 1; r <= table.rows(); ++r)
            for (int c = 1; c <= TableSession::kColumns; ++c)
                if (!unchanged(table, r, c, rows[r - 1][c])) table.acceptEdit(r, c, rows[r - 1][c]);
    });
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
