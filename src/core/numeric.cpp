#include "core/numeric.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace velo {

long long roundHalfEven(double value) {
    // A pasted 1e308 dragged on the chart: the limits follow, so saturating is exact.
    using Limits = std::numeric_limits<long long>;
    if (!(std::abs(value) < 9e18)) return value < 0 ? Limits::min() : Limits::max();
    const double floor = std::floor(value);
    const double diff = value - floor;
    double result = floor;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(floor, 2.0) != 0.0)) result = floor + 1.0;
    return static_cast<long long>(result);
}

QString formatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return QString::number(value);
    // The shortest text that reads back as the same double is what the user would call
    // the value, so halves are decided on it and not on the binary fraction.
    // Fixed notation of the largest double takes 309 digits, of the smallest 340 places.
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    std::string digits(buf, res.ptr);
    std::string whole = digits, frac;
    if (auto dot = digits.find('.'); dot != std::string::npos) {
        whole = digits.substr(0, dot);
        frac = digits.substr(dot + 1);
    }
    const bool roundUp = frac.size() > size_t(decimals) && frac[decimals] >= '5';
    frac.resize(decimals, '0');
    std::string kept = whole + frac;
    if (roundUp) {
        int i = int(kept.size()) - 1;
        for (; i >= 0; --i) {
            if (kept[i] == '9') {
                kept[i] = '0';
            } else {
                ++kept[i];
                break;
            }
        }
        if (i < 0) kept.insert(kept.begin(), '1');
    }
    std::string out = kept.substr(0, kept.size() - decimals);
    // Appended in two steps: "." + string trips a false -Wrestrict in MinGW's GCC 12.
    if (decimals > 0) out.append(".").append(kept, kept.size() - decimals);
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !zero) out.insert(out.begin(), '-');
    return QString::fromStdString(out);
}

double leadingNumber(const QString& text) {
    std::string s;
    int i = 0;
    const int n = int(text.size());
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r'))
            ++i;
    };
    auto digitsInto = [&] {
        bool any = false;
        for (skipBlanks(); i < n && text[i].isDigit() && text[i].unicode() < 128; skipBlanks()) {
            s += char(text[i++].unicode());
            any = true;
        }
        return any;
    };
    skipBlanks();
    if (i < n && (text[i] == '+' || text[i] == '-')) s += char(text[i++].unicode());
    bool any = digitsInto();
    if (i < n && text[i] == '.') {
        ++i;
        s += '.';
        any = digitsInto() || any;
    }
    if (!any) return 0.0;
    if (i < n && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::string mantissa = s;
        int save = i++;
        s += 'e';
        if (i < n && (text[i] == '+' || text[i] == '-')) s += char(text[i++].unicode());
        if (!digitsInto()) {
            s = mantissa;
            i = save;
        }
    }
    // Beyond the double range reads as the largest double: an infinity would turn a
    // Modify of a 0 cell ("1%e400": inf x 0) into not-a-number, which no limit catches.
    const double v = std::strtod(s.c_str(), nullptr);
    return std::isinf(v) ? std::copysign(std::numeric_limits<double>::max(), v) : v;
}

}  // namespace velo
