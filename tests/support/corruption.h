// Test support for the corruption tests of the file readers: forEachDamage
// makes damaged copies of a valid file (a sweep over the offsets, then copies
// from a seeded std::mt19937, the same on every run and platform, each named
// for a report); Outcomes runs a reader on each copy and fails on anything but
// a success or a std::runtime_error (the readers' documented error, which
// version_exception and archive_exception are). The sanitizers watch the rest.
// Header-only, for components that do not link the archive library. One test
// thread.
#ifndef TESTS_SUPPORT_CORRUPTION_H
#define TESTS_SUPPORT_CORRUPTION_H

#include <QByteArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <typeinfo>

namespace Corruption {

// One damaged copy and how it was made.
struct Damaged
{
    QByteArray bytes;
    std::string what;
};

namespace Detail {

// Overwrites from at on, never past the end.
inline void overwrite(QByteArray& bytes, int at, const QByteArray& with)
{
    const int n = std::min(with.size(), bytes.size() - at);
    bytes.replace(at, n, with.constData(), n);
}

// Damages d once at a random place: a flipped bit, a fill, a huge count or
// length, a copied, cut or truncated run, or random bytes (a torn write).
inline void damageOnce(std::mt19937& rng, Damaged& d)
{
    const auto below = [&](quint32 n) { return n == 0 ? 0 : quint32(rng() % n); };
    QByteArray& bytes = d.bytes;
    const int size = bytes.size();
    const int at = int(below(quint32(size)));
    const int length = 1 + int(below(std::min(16, size - at)));
    static const char kFill[] = {'\x00', '\xFF', '\x7F'};
    static const char* const kHuge[] = {"\xFF\xFF\xFF\xFF", "\x7F\xFF\xFF\xFF", "\xFF\xFF\xFF\x7F", "\x80\x00\x00\x00",
                                        "\x00\x00\x00\x80", "\xFF\xFF",         "\x00\xFF\xFF\xFF", "\xFF\xFF\xFF\x00"};
    static const char* const kNames[] = {"flip bit", "fill", "huge value", "copy", "cut", "truncate", "random"};
    const quint32 kind = below(7);
    switch (kind) {
    case 0:
        bytes[at] = char(bytes[at] ^ (1 << below(8)));
        break;
    case 1:
        overwrite(bytes, at, QByteArray(length, kFill[below(3)]));
        break;
    case 2: {
        const quint32 which = below(sizeof kHuge / sizeof kHuge[0]);
        overwrite(bytes, at, QByteArray(kHuge[which], which == 5 ? 2 : 4));
        break;
    }
    case 3:
        bytes.insert(int(below(quint32(size) + 1)), bytes.mid(at, length));
        break;
    case 4:
        bytes.remove(at, length);
        break;
    case 5:
        bytes.truncate(at);
        break;
    default:
        for (int i = 0; i < length; ++i)
            bytes[at + i] = char(below(256));
        break;
    }
    // The seed and copy number reproduce the damage; this only names it.
    d.what += (d.what.empty() ? "" : "; ") + std::string(kNames[kind]) + " at " + std::to_string(at);
}

}  // namespace Detail

// Calls visit with every copy of the sweep (every stride-th offset; stride 0
// skips the sweep) and then with `randomCount` random copies from `seed`, each
// with one to three damages.
inline void forEachDamage(const QByteArray& original, quint32 seed, int randomCount, int stride,
                          const std::function<void(const Damaged&)>& visit)
{
    static const QByteArray kSweep[] = {QByteArray("\xFF\xFF\xFF\xFF", 4),
                                        QByteArray("\x7F\xFF\xFF\xFF", 4),
                                        QByteArray("\xFF\xFF\xFF\x7F", 4),
                                        QByteArray(1, '\x00'),
                                        QByteArray(1, '\xFF'),
                                        QByteArray(1, '\x7F')};
    for (int at = 0; stride > 0 && at < original.size(); at += stride) {
        for (const QByteArray& with : kSweep) {
            Damaged d {original, "write " + with.toHex().toUpper().toStdString() + " at " + std::to_string(at)};
            Detail::overwrite(d.bytes, at, with);
            if (d.bytes != original)
                visit(d);
        }
        const int bit = (at / stride) % 8;
        Damaged flipped {original, "flip bit " + std::to_string(bit) + " at " + std::to_string(at)};
        flipped.bytes[at] = char(flipped.bytes[at] ^ (1 << bit));
        visit(flipped);
    }
    std::mt19937 rng(seed);
    for (int i = 0; i < randomCount; ++i) {
        Damaged d {original, std::string()};
        const int count = 1 + int(rng() % 3);
        for (int k = 0; k < count && !d.bytes.isEmpty(); ++k)
            Detail::damageOnce(rng, d);
        d.what = "seed " + std::to_string(seed) + " copy " + std::to_string(i) + ": " + d.what;
        visit(d);
    }
}

// Counts the outcomes of a reader over damaged copies; at most five failures
// are reported, to keep a broken reader's report short.
class Outcomes
{
public:
    void run(const Damaged& d, const std::function<void()>& read)
    {
        if (m_failures >= 5)
            return;
        try {
            read();
            ++m_succeeded;
        } catch (const std::runtime_error&) {
            ++m_refused;
        } catch (const std::exception& e) {
            ADD_FAILURE() << d.what << ": undocumented " << typeid(e).name() << ": " << e.what();
            ++m_failures;
        } catch (...) {
            ADD_FAILURE() << d.what << ": a non-standard exception";
            ++m_failures;
        }
    }
    // A loop must have reached past the readers' first checks, not only failed.
    void expectBothOutcomes() const
    {
        EXPECT_GT(m_succeeded, 0);
        EXPECT_GT(m_refused, 0);
    }

private:
    int m_succeeded = 0;
    int m_refused = 0;
    int m_failures = 0;
};

}  // namespace Corruption

#endif  // TESTS_SUPPORT_CORRUPTION_H
