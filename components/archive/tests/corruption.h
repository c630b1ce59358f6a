// Test support for the corruption tests of the file readers: damages a valid
// file in many deterministic ways, so that a test can run its reader on each
// copy and require only a clean outcome (success or the reader's documented
// error), with the sanitizers watching for everything else.
//
// The damage comes from a sweep over the offsets (huge counts, 0x00, 0xFF,
// 0x7F and a flipped bit at each) and from a seeded std::mt19937, whose
// sequence the standard fixes, so every run and every platform sees the same
// copies; each copy carries a description that names the damage for a report.
//
// Outcomes runs a reader on each copy and reports what is neither a success
// nor a std::runtime_error (the documented failure of the stream and
// database readers; version_exception and archive_exception are ones).
//
// Header-only so that the tests of components that do not link the archive
// library can use it. Plain functions; one test thread.
#ifndef ARCHIVE_TESTS_CORRUPTION_H
#define ARCHIVE_TESTS_CORRUPTION_H

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

class Damager
{
public:
    explicit Damager(quint32 seed) : rng_(seed) {}

    // One random copy with one to three damages.
    Damaged damage(const QByteArray& original)
    {
        Damaged result{original, std::string()};
        const int count = 1 + int(below(3));
        for (int i = 0; i < count && !result.bytes.isEmpty(); ++i)
            damageOnce(result);
        return result;
    }

private:
    quint32 below(quint32 n) { return n == 0 ? 0 : quint32(rng_() % n); }

    static void note(Damaged& d, const std::string& text)
    {
        d.what += d.what.empty() ? text : "; " + text;
    }

    static void overwrite(QByteArray& bytes, int at, const QByteArray& with)
    {
        for (int i = 0; i < with.size() && at + i < bytes.size(); ++i)
            bytes[at + i] = with[i];
    }

    void damageOnce(Damaged& d)
    {
        QByteArray& bytes = d.bytes;
        const int size = bytes.size();
        const int at = int(below(quint32(size)));
        const int length = 1 + int(below(std::min(16, size - at)));
        static const char kFill[] = {'\x00', '\xFF', '\x7F'};
        // Huge values in both byte orders and widths: counts and lengths.
        static const char* const kHuge[] = {"\xFF\xFF\xFF\xFF", "\x7F\xFF\xFF\xFF", "\xFF\xFF\xFF\x7F",
                                            "\x80\x00\x00\x00", "\x00\x00\x00\x80", "\xFF\xFF",
                                            "\x00\xFF\xFF\xFF", "\xFF\xFF\xFF\x00"};
        switch (below(7)) {
        case 0: {
            const int bit = int(below(8));
            bytes[at] = char(bytes[at] ^ (1 << bit));
            note(d, "flip bit " + std::to_string(bit) + " at " + std::to_string(at));
            break;
        }
        case 1: {
            const char fill = kFill[below(3)];
            overwrite(bytes, at, QByteArray(length, fill));
            note(d, "fill " + std::to_string(length) + " x " + std::to_string(quint8(fill)) + " at "
                        + std::to_string(at));
            break;
        }
        case 2: {
            const quint32 which = below(sizeof kHuge / sizeof kHuge[0]);
            overwrite(bytes, at, QByteArray(kHuge[which], which == 5 ? 2 : 4));
            note(d, "huge value " + std::to_string(which) + " at " + std::to_string(at));
            break;
        }
        case 3: {
            const int to = int(below(quint32(size) + 1));
            bytes.insert(to, bytes.mid(at, length));
            note(d, "copy " + std::to_string(length) + " from " + std::to_string(at) + " to "
                        + std::to_string(to));
            break;
        }
        case 4:
            bytes.remove(at, length);
            note(d, "cut " + std::to_string(length) + " at " + std::to_string(at));
            break;
        case 5:
            bytes.truncate(at);
            note(d, "truncate at " + std::to_string(at));
            break;
        default: {
            // A random byte run: what a torn or foreign write leaves.
            for (int i = 0; i < length; ++i)
                bytes[at + i] = char(below(256));
            note(d, "random " + std::to_string(length) + " at " + std::to_string(at));
            break;
        }
        }
    }

    std::mt19937 rng_;
};

// Calls visit with every copy of the sweep (every stride-th offset; stride 0
// skips the sweep) and then with `randomCount` random copies from `seed`.
inline void forEachDamage(const QByteArray& original, quint32 seed, int randomCount, int stride,
                          const std::function<void(const Damaged&)>& visit)
{
    static const struct
    {
        const char* bytes;
        int size;
        const char* name;
    } kSweep[] = {{"\xFF\xFF\xFF\xFF", 4, "FFFFFFFF"}, {"\x7F\xFF\xFF\xFF", 4, "7FFFFFFF"},
                  {"\xFF\xFF\xFF\x7F", 4, "FFFFFF7F"},  {"\x00", 1, "00"},
                  {"\xFF", 1, "FF"},                    {"\x7F", 1, "7F"}};
    for (int at = 0; stride > 0 && at < original.size(); at += stride) {
        for (const auto& s : kSweep) {
            Damaged d{original, "write " + std::string(s.name) + " at " + std::to_string(at)};
            for (int i = 0; i < s.size && at + i < d.bytes.size(); ++i)
                d.bytes[at + i] = s.bytes[i];
            if (d.bytes != original)
                visit(d);
        }
        const int bit = (at / stride) % 8;
        Damaged flipped{original, "flip bit " + std::to_string(bit) + " at " + std::to_string(at)};
        flipped.bytes[at] = char(flipped.bytes[at] ^ (1 << bit));
        visit(flipped);
    }
    Damager damager(seed);
    for (int i = 0; i < randomCount; ++i) {
        Damaged d = damager.damage(original);
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
        if (failures_ >= 5)
            return;
        try {
            read();
            ++succeeded_;
        } catch (const std::runtime_error&) {
            ++refused_;
        } catch (const std::exception& e) {
            ADD_FAILURE() << d.what << ": undocumented " << typeid(e).name() << ": " << e.what();
            ++failures_;
        } catch (...) {
            ADD_FAILURE() << d.what << ": a non-standard exception";
            ++failures_;
        }
    }
    // A loop must have reached past the readers' first checks, not only failed.
    void expectBothOutcomes() const
    {
        EXPECT_GT(succeeded_, 0);
        EXPECT_GT(refused_, 0);
    }

private:
    int succeeded_ = 0;
    int refused_ = 0;
    int failures_ = 0;
};

} // namespace Corruption

#endif // ARCHIVE_TESTS_CORRUPTION_H
