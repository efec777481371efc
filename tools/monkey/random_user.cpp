#include "random_user.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace monkey {

int Dice::weighted(std::initializer_list<int> weights) {
    int total = 0;
    for (int w : weights) total += w;
    int roll = below(total), i = 0;
    for (int w : weights) {
        if (roll < w) return i;
        roll -= w;
        ++i;
    }
    return 0;
}

QString cellText(Dice& dice, bool huge) {
    static const QStringList odd = {"",
                                    " ",
                                    "  12 ",
                                    "abc",
                                    "12abc",
                                    "e5",
                                    "nan",
                                    "inf",
                                    "-inf",
                                    "0x1F",
                                    "1,5",
                                    ".",
                                    "-",
                                    "+",
                                    "1e",
                                    "--3",
                                    "\t",
                                    "1 2",
                                    "5.",
                                    ".5",
                                    "-.5",
                                    "1e-320",
                                    "4.9e-324",
                                    "1e-5",
                                    "1e5",
                                    "-1e6",
                                    "2.5e1",
                                    "1e300",
                                    "١٢",
                                    "½",
                                    "999999999999999999999",
                                    "80%",
                                    "-7.5%",
                                    "+15%",
                                    "%",
                                    "+-5",
                                    "1e300%"};
    static const QStringList hugeOnes = {"1e308", "-1e308", "1e309", "1e400", "-1.7e308"};
    switch (dice.weighted({6, 3, 2, 3, huge ? 1 : 0})) {
        case 0:
            return QString::number(dice.between(-60, 90));
        case 1:
            return QString::number(dice.between(-600, 900) / 10.0, 'f', dice.below(3));
        case 2:
            return (dice.chance(0.5) ? "+" : "-") + QString::number(dice.between(0, 99));
        case 3:
            return dice.pick(odd);
        default:
            return dice.pick(hugeOnes);
    }
}

QString clipText(Dice& dice, bool huge) {
    const int rows = dice.chance(0.4) ? 1 : dice.between(1, 9);
    const int cols = dice.chance(0.3) ? 1 : dice.between(1, 23);
    const QString rowEnd = dice.pick(QStringList{"\r\n", "\n", "\r"});
    QStringList lines;
    for (int r = 0; r < rows; ++r) {
        QStringList cells;
        // Ragged rows, as another program's copy may give.
        const int n = dice.chance(0.8) ? cols : dice.between(1, cols + 2);
        for (int c = 0; c < n; ++c) cells << cellText(dice, huge);
        lines << cells.join('\t');
    }
    return lines.join(rowEnd) + (dice.chance(0.5) ? rowEnd : QString());
}

void FileCorpus::make(const QString& root, const QString& binDir) {
    dir = root;
    QDir().mkpath(root + "/in");
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(root + "/in/" + name);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        openable << f.fileName();
    };
    for (const char* demo : {"demo_2d.dat", "demo_3d.dat"}) {
        QFile f(binDir + "/" + demo);
        f.open(QIODevice::ReadOnly);
        const QByteArray good = f.readAll();
        write(demo, good);
        write(QString("long_%1").arg(demo), good + QByteArray(7, '\0'));
        QByteArray flipped = good;
        for (int i = 0; i < flipped.size(); i += 17) flipped[i] = char(~flipped[i]);
        write(QString("flipped_%1").arg(demo), flipped);
    }
    write("short.dat", QByteArray(100, '\x20'));
    write("empty.dat", {});
    write("zeros.dat", QByteArray(264, '\0'));
    write("ones.dat", QByteArray(264, '\xff'));
    QByteArray noise(264, 0), huge(1 << 20, 0);
    for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919 + 13) & 0xff);
    for (int i = 0; i < huge.size(); ++i) huge[i] = char((i * 31 + i / 264) & 0xff);
    write("noise.dat", noise);
    write("huge.dat", huge);
    write("name with spaces é.dat", noise);
    QDir().mkpath(root + "/in/folder.dat");
    openable << root + "/in/folder.dat" << root + "/in/missing.dat"
             << "/nonexistent/x.dat";
    unwritable << "/proc/velo-monkey.dat" << root + "/no/such/folder/x.dat"
               << root + "/in/folder.dat";
}

velo::Answer RandomInteraction::message(const QString& title, const QString& text,
                                        velo::Buttons buttons, velo::Icon icon) {
    using velo::Answer;
    (void)icon;
    QList<Answer> offered;
    switch (buttons) {
        case velo::Buttons::Ok:
            offered = {Answer::Ok};
            break;
        case velo::Buttons::OkCancel:
            offered = {Answer::Ok, Answer::Cancel};
            break;
        case velo::Buttons::YesNo:
        case velo::Buttons::YesNoDefaultNo:
            offered = {Answer::Yes, Answer::No};
            break;
        case velo::Buttons::YesNoCancel:
            offered = {Answer::Yes, Answer::No, Answer::Cancel};
            break;
        case velo::Buttons::RetryCancel:
            offered = {Answer::Retry, Answer::Cancel};
            break;
        case velo::Buttons::AbortRetryIgnore:
            offered = {Answer::Abort, Answer::Retry, Answer::Ignore};
            break;
    }
    // Retry is given sparingly: a dead line would otherwise be asked about forever.
    Answer a = dice_.pick(offered);
    if (a == Answer::Retry && dice_.chance(0.6)) a = offered.last();
    QString flat = text.left(90);
    flat.replace('\n', ' ').replace('\r', ' ');
    if (log) log(QString("box \"%1: %2\" -> %3").arg(title, flat, velo::answerName(a)));
    return a;
}

std::optional<QString> RandomInteraction::inputBox(const QString& title, const QString& prompt,
                                                   const QString& defaultText) {
    (void)prompt;
    (void)defaultText;
    std::optional<QString> out;
    if (!dice_.chance(0.15)) out = cellText(dice_, huge_);
    if (log) log(QString("input \"%1\" -> %2").arg(title, out ? "\"" + *out + "\"" : "cancel"));
    return out;
}

std::optional<QString> RandomInteraction::openFileName(const QString& title,
                                                       const QString& filter) {
    (void)filter;
    std::optional<QString> out;
    if (!dice_.chance(0.1))
        out = dice_.chance(0.2) && !files_.saved.isEmpty() ? dice_.pick(files_.saved)
                                                           : dice_.pick(files_.openable);
    if (log) log(QString("open \"%1\" -> %2").arg(title, out.value_or("cancel")));
    return out;
}

std::optional<QString> RandomInteraction::saveFileName(const QString& title,
                                                       const QString& filter) {
    // The first pattern of the filter names the kind of file asked for.
    const QString ext = QRegularExpression(R"(\*\.(\w+))").match(filter).captured(1);
    const bool isDat = ext.compare("dat", Qt::CaseInsensitive) == 0;
    std::optional<QString> out;
    switch (dice_.weighted({1, 5, 2, 2})) {
        case 0:
            break;
        case 1:
            out = QString("%1/out%2.%3")
                      .arg(files_.dir)
                      .arg(++fresh_)
                      .arg(ext.isEmpty() ? "dat" : ext);
            break;
        case 2:
            // Only a data file is put back over a data file: the whole-file check counts on it.
            out = isDat && !files_.saved.isEmpty() ? dice_.pick(files_.saved)
                                                   : files_.dir + "/first." + ext;
            break;
        default:
            out = dice_.pick(files_.unwritable);
            break;
    }
    if (out && isDat && out->startsWith(files_.dir) && !files_.saved.contains(*out) &&
        !out->contains("/in/"))
        files_.saved << *out;
    if (log) log(QString("save \"%1\" -> %2").arg(title, out.value_or("cancel")));
    return out;
}

}  // namespace monkey
