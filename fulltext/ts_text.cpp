#include "fulltext/ts_text.h"

#include "fulltext/char_rules.h"
#include "fulltext/errors.h"

#include <cstring>
#include <vector>

TWildMatcher::TWildMatcher(const QString& mask, QChar anyChar, QChar oneChar, bool caseSensitive)
    : m_any(anyChar), m_one(oneChar), m_caseSensitive(caseSensitive) {
    if (anyChar == oneChar) throw EWildCard(QStringLiteral("AnyChar = OneChar"), fulltext::wcSameWildcards);
    if (mask.size() > 127) throw EWildCard(QStringLiteral("Mask Length too long"), fulltext::wcMaskTooLong);
    m_mask.reserve(mask.size());
    for (QChar c : mask) {
        if (c == m_any && !m_mask.isEmpty() && m_mask.back() == m_any) continue;
        m_mask += c;
    }
    if (!caseSensitive) fulltext::UpperInPlace(m_mask.data(), m_mask.size());
}

bool TWildMatcher::Matches(QStringView textIn) const {
    QString text = textIn.left(255).toString();
    if (!m_caseSensitive) fulltext::UpperInPlace(text.data(), text.size());
    const qsizetype mEnd = m_mask.size();
    const qsizetype tEnd = text.size();
    qsizetype m = 0;
    qsizetype t = 0;
    qsizetype starM = -1;  // mask position after the last many-characters wildcard
    qsizetype starT = -1;  // text position where that wildcard's match currently ends
    while (true) {
        if (m < mEnd && m_mask[m] == m_any) {
            if (m + 1 == mEnd) return true;  // a trailing wildcard takes the rest
            starM = m + 1;
            starT = t;
            m = starM;
            continue;
        }
        if (m == mEnd && t == tEnd) return true;
        if (m < mEnd && t < tEnd && (m_mask[m] == m_one || m_mask[m] == text[t])) {
            ++m;
            ++t;
            continue;
        }
        if (starM < 0 || starT >= tEnd) return false;
        t = ++starT;
        m = starM;
    }
}

namespace fulltext {

QString CaretDecode(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'^' && i + 1 < text.size()) {
            const char16_t next = text[i + 1].unicode();
            if (next == u'^') {
                out += u'^';
                ++i;
                continue;
            }
            if (next >= 65 && next <= 95) {
                out += QChar(char16_t(next - 64));
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

QString CaretEncode(QStringView text) {
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (c == u'^') {
            out += QStringLiteral("^^");
        } else if (c.unicode() < 32) {
            out += u'^';
            out += QChar(char16_t(c.unicode() + 64));
        } else {
            out += c;
        }
    }
    return out;
}

QString SoundsLikeKey(QStringView word) {
    QString key = QStringLiteral("00000");
    if (word.size() < 2) return key;
    key[0] = QChar(SoundsLikeFold(word[0].unicode()));
    key[1] = QChar(SoundsLikeFold(word[1].unicode()));
    int placed = 2;
    for (qsizetype i = 2; i < word.size() && placed < 5; ++i) {
        const char code = SoundsLikeCode(word[i].unicode());
        if (!code || key[placed - 1] == QLatin1Char(code)) continue;
        key[placed++] = QLatin1Char(code);
    }
    return key;
}

QString EncodeBinary(const QByteArray& data) {
    const qsizetype n = data.size();
    QString out(EncodedLength(n), QChar(u'`'));
    auto put = [&](qsizetype at, unsigned v) {
        if (at < out.size()) out[at] = v == 0 ? QChar(u'`') : QChar(char16_t(v + 32));
    };
    qsizetype o = 0;
    for (qsizetype i = 0; i < n; i += 3) {
        const unsigned b0 = std::uint8_t(data[i]);
        const unsigned b1 = i + 1 < n ? std::uint8_t(data[i + 1]) : 0;
        const unsigned b2 = i + 2 < n ? std::uint8_t(data[i + 2]) : 0;
        put(o++, b0 >> 2);
        put(o++, ((b0 & 3) << 4) + (b1 >> 4));
        put(o++, ((b1 & 15) << 2) + (b2 >> 6));
        put(o++, b2 & 63);
    }
    return out;
}

QByteArray DecodeBinary(QStringView text, qsizetype byteCount) {
    QByteArray out(byteCount, '\0');
    auto value = [&](qsizetype at) -> unsigned {
        return at < text.size() ? unsigned(text[at].unicode() - 32) & 63u : 0u;
    };
    for (qsizetype i = 0, c = 0; i < byteCount; i += 3, c += 4) {
        const unsigned v0 = value(c), v1 = value(c + 1), v2 = value(c + 2), v3 = value(c + 3);
        out[i] = char((v0 << 2) | (v1 >> 4));
        if (i + 1 < byteCount) out[i + 1] = char(((v1 & 15) << 4) | (v2 >> 2));
        if (i + 2 < byteCount) out[i + 2] = char(((v2 & 3) << 6) | v3);
    }
    return out;
}

QString Reversed(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    qsizetype o = 0;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i].isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate()) {
            out[o++] = text[i - 1];
            out[o++] = text[i];
            --i;
        } else {
            out[o++] = text[i];
        }
    }
    return out;
}

QString LeadingPart(QStringView text, QStringView stopChars) {
    for (qsizetype i = 0; i < text.size(); ++i)
        if (stopChars.contains(text[i])) return text.left(i).toString();
    return text.toString();
}

QString BareFileName(const QString& path) {
    qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

namespace {

void quickSortRange(std::uint8_t* base, std::ptrdiff_t lo, std::ptrdiff_t hi, std::size_t size,
                    const std::function<int(const void*, const void*)>& compare,
                    std::vector<std::uint8_t>& pivot, std::vector<std::uint8_t>& swap) {
    while (lo < hi) {
        std::memcpy(pivot.data(), base + std::size_t(lo + (hi - lo) / 2) * size, size);
        std::ptrdiff_t i = lo;
        std::ptrdiff_t j = hi;
        while (i <= j) {
            while (compare(base + std::size_t(i) * size, pivot.data()) < 0) ++i;
            while (compare(base + std::size_t(j) * size, pivot.data()) > 0) --j;
            if (i <= j) {
                if (i != j) {
                    std::memcpy(swap.data(), base + std::size_t(i) * size, size);
                    std::memcpy(base + std::size_t(i) * size, base + std::size_t(j) * size, size);
                    std::memcpy(base + std::size_t(j) * size, swap.data(), size);
                }
                ++i;
                --j;
            }
        }
        // Recurse into the smaller half, loop over the larger: the stack stays shallow.
        if (j - lo < hi - i) {
            quickSortRange(base, lo, j, size, compare, pivot, swap);
            lo = i;
        } else {
            quickSortRange(base, i, hi, size, compare, pivot, swap);
            hi = j;
        }
    }
}

}  // namespace

void QuickSort(void* base, std::size_t count, std::size_t size,
               const std::function<int(const void*, const void*)>& compare) {
    if (count < 2 || size == 0) return;
    std::vector<std::uint8_t> pivot(size), swap(size);
    quickSortRange(static_cast<std::uint8_t*>(base), 0, std::ptrdiff_t(count) - 1, size, compare, pivot, swap);
}

}  // namespace fulltext
