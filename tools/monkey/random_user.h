#pragma once

#include "core/interaction.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <random>

namespace monkey {

// The seeded dice every choice of the run comes from, so a seed replays the run.
class Dice {
  public:
    explicit Dice(uint64_t seed) : rng_(seed) {}
    int below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng_) < p; }
    template <class List>
    auto pick(const List& l) -> decltype(l[0]) {
        return l[below(int(l.size()))];
    }
    // An index drawn by weight.
    int weighted(std::initializer_list<int> weights);

  private:
    std::mt19937_64 rng_;
};

// What a hurried tuner types into a cell or copies from elsewhere: numbers, signs, huge
// and tiny exponents, blanks, letters and nothing. Without `huge`, exponents above 300
// are left out.
QString cellText(Dice& dice, bool huge);
// A block of such texts, rows and columns in a random shape and with random row ends.
QString clipText(Dice& dice, bool huge);

// The small set of files the file dialogs choose from.
struct FileCorpus {
    QStringList openable;  // good, short, huge and odd .dat files, a folder, a missing path
    QString dir;           // where fresh files are saved
    QStringList unwritable;
    QStringList saved;  // every .dat path handed to a save dialog
    void make(const QString& root, const QString& binDir);
};

// Answers every question and file dialog at random. `log` gets one line per answer.
class RandomInteraction : public velo::UserInteraction {
  public:
    RandomInteraction(Dice& dice, FileCorpus& files, bool huge)
        : dice_(dice), files_(files), huge_(huge) {}
    std::function<void(const QString&)> log;

    velo::Answer message(const QString& title, const QString& text, velo::Buttons buttons,
                         velo::Icon icon) override;
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter) override;

  private:
    Dice& dice_;
    FileCorpus& files_;
    bool huge_;
    int fresh_ = 0;
};

}  // namespace monkey
