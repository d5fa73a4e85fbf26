#include "platform/stream/text_form.h"

#include "platform/base/ansi.h"
#include "platform/stream/internal/ansi.h"
#include "platform/stream/stream_error.h"
#include "platform/stream/value_reader.h"
#include "platform/stream/value_writer.h"

#include <QStringDecoder>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace stream {

namespace {

constexpr int kLineLength = 64;    ///< characters of text per line before a " +" break
constexpr int kBytesPerLine = 32;  ///< bytes of binary data per line

/// The general decimal form of `v` with the fewest significant digits that read back to the
/// same value of its type (at most 21, enough for any extended value): fixed notation for
/// 0.00001 <= |v| < 1E15 ("1234.5678", "0.0001"), otherwise scientific ("1.5E300",
/// "1E-7"). Negative zero is "-0.0", so that it keeps its sign and is not read as an
/// integer; infinities and not-a-number are "INF", "-INF" and "NAN".
QByteArray FormatFloat(long double v, bool (*same)(long double, long double)) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return std::signbit(v) ? "-0.0" : "0";
    constexpr int kMaxDigits = 21;
    char buf[64];
    for (int digits = 1; digits <= kMaxDigits; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*Le", digits - 1, v);
        if (same(std::strtold(buf, nullptr), v)) break;
    }
    // buf is "-d.ddde+XX": collect the significant digits and the exponent.
    const QByteArray e(buf);
    const qsizetype ePos = e.indexOf('e');
    const bool negative = e.startsWith('-');
    QByteArray digits = e.left(ePos);
    digits.replace("-", "").replace(".", "");
    while (digits.size() > 1 && digits.endsWith('0')) digits.chop(1);
    const int exponent = e.mid(ePos + 1).toInt();
    QByteArray out = negative ? "-" : "";
    if (exponent < -5 || exponent > 14) {
        out += digits.left(1);
        if (digits.size() > 1) out += '.' + digits.mid(1);
        out += 'E' + QByteArray::number(exponent);
    } else if (exponent >= 0) {
        if (digits.size() <= exponent + 1) {
            out += digits + QByteArray(exponent + 1 - digits.size(), '0');
        } else {
            out += digits.left(exponent + 1) + '.' + digits.mid(exponent + 1);
        }
    } else {
        out += "0." + QByteArray(-exponent - 1, '0') + digits;
    }
    return out;
}

bool SameExtended(long double a, long double b) { return a == b; }
bool SameDouble(long double a, long double b) {
    // A date is read as a double rounded from the text's extended value; the same path here.
    return static_cast<double>(a) == static_cast<double>(b);
}
bool SameSingle(long double a, long double b) { return static_cast<float>(a) == static_cast<float>(b); }

class TextWriter {
public:
    explicit TextWriter(const TextOptions& options) : m_lb(options.lineBreak) {}

    QByteArray Take() { return std::move(m_out); }

    void WriteObject(const ObjectData& obj) {
        Indent();
        if (obj.flags.testFlag(FilerFlag::Inherited)) m_out += "inherited ";
        else if (obj.flags.testFlag(FilerFlag::Inline)) m_out += "inline ";
        else m_out += "object ";
        if (!obj.name.isEmpty()) {
            m_out += obj.name.toUtf8();
            m_out += ": ";
        }
        m_out += obj.className.toUtf8();
        if (obj.childPos.IsInteger()) {
            m_out += " [";
            m_out += QByteArray::number(obj.childPos.AsInteger());
            m_out += ']';
        }
        m_out += m_lb;
        ++m_level;
        for (const Property& p : obj.properties) WriteProperty(p);
        for (const ObjectData& child : obj.children) WriteObject(child);
        --m_level;
        Indent();
        m_out += "end";
        m_out += m_lb;
    }

    void WriteValue(const Value& v) {
        switch (v.Type()) {
        case ValueType::List:
            m_out += '(';
            ++m_level;
            for (const Value& item : v.AsList()) {
                NewLine();
                WriteValue(item);
            }
            --m_level;
            m_out += ')';
            return;
        case ValueType::Int8:
        case ValueType::Int16:
        case ValueType::Int32:
        case ValueType::Int64: m_out += QByteArray::number(v.AsInteger()); return;
        case ValueType::Extended: m_out += FormatFloat(v.AsExtended(), SameExtended); return;
        case ValueType::Single: m_out += FormatFloat(v.AsExtended(), SameSingle) + 's'; return;
        case ValueType::Currency: m_out += QByteArray::number(v.AsCurrency()) + 'c'; return;
        case ValueType::Date: m_out += FormatFloat(v.AsExtended(), SameDouble) + 'd'; return;
        case ValueType::String:
        case ValueType::LString:
        case ValueType::WString:
        case ValueType::Utf8String: WriteText(v.AsText()); return;
        case ValueType::Ident:
        case ValueType::False:
        case ValueType::True:
        case ValueType::Nil:
        case ValueType::Null: m_out += v.AsText().toUtf8(); return;
        case ValueType::Binary: WriteBinary(v.AsBinary()); return;
        case ValueType::Set:
            m_out += '[';
            m_out += v.AsSet().join(QStringLiteral(", ")).toUtf8();
            m_out += ']';
            return;
        case ValueType::Collection:
            m_out += '<';
            ++m_level;
            for (const CollectionItem& item : v.AsCollection()) {
                NewLine();
                m_out += "item";
                if (item.index) {
                    m_out += " [";
                    WriteValue(*item.index);
                    m_out += ']';
                }
                m_out += m_lb;
                ++m_level;
                for (const Property& p : item.properties) WriteProperty(p);
                --m_level;
                Indent();
                m_out += "end";
            }
            --m_level;
            m_out += '>';
            return;
        }
    }

private:
    void Indent() {
        for (int i = 0; i < m_level; ++i) m_out += "  ";
    }
    void NewLine() {
        m_out += m_lb;
        Indent();
    }

    void WriteProperty(const Property& p) {
        Indent();
        m_out += p.name.toUtf8();
        m_out += " = ";
        WriteValue(p.value);
        m_out += m_lb;
    }

    void WriteText(const QString& w) {
        const qsizetype len = w.size();
        if (len == 0) {
            m_out += "''";
            return;
        }
        // Printable ASCII but the quote stands in quotes; the C1 controls whose codes #128 to
        // #159 name Windows-1252 characters stand in quotes too (as UTF-8), so that they read
        // back as themselves; everything else is a #code.
        auto plain = [](QChar c) {
            const char16_t u = c.unicode();
            if (u >= 0x80 && u < 0xA0) return base::AnsiToUnicode(static_cast<std::uint8_t>(u)) != u;
            return u >= ' ' && u != '\'' && u < 127;
        };
        ++m_level;
        if (len > kLineLength) NewLine();
        qsizetype i = 0;
        qsizetype lineStart = 0;
        while (i < len) {
            bool lineBreak = false;
            if (plain(w.at(i))) {
                const qsizetype j = i;
                do {
                    ++i;
                } while (i < len && plain(w.at(i)) && i - lineStart < kLineLength);
                if (i - lineStart >= kLineLength) lineBreak = true;
                m_out += '\'';
                m_out += w.mid(j, i - j).toUtf8();
                m_out += '\'';
            } else {
                m_out += '#';
                m_out += QByteArray::number(w.at(i).unicode());
                ++i;
                if (i - lineStart >= kLineLength) lineBreak = true;
            }
            if (lineBreak && i < len) {
                m_out += " +";
                NewLine();
                lineStart = i;
            }
        }
        --m_level;
    }

    void WriteBinary(const QByteArray& bytes) {
        m_out += '{';
        ++m_level;
        const bool multiLine = bytes.size() >= kBytesPerLine;
        for (qsizetype i = 0; i < bytes.size(); i += kBytesPerLine) {
            if (multiLine) NewLine();
            m_out += bytes.mid(i, kBytesPerLine).toHex().toUpper();
        }
        --m_level;
        m_out += '}';
    }

    QByteArray m_lb;
    QByteArray m_out;
    int m_level = 0;
};

/// Recursive-descent parser of the text form over its decoded characters.
class TextParser {
public:
    explicit TextParser(const QByteArray& bytes) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        m_text = utf8.decode(bytes);
        if (utf8.hasError()) m_text = internal::AnsiToUnicode(bytes);
        if (m_text.startsWith(QChar(0xFEFF))) m_text.remove(0, 1), m_column = 2;
    }

    ObjectData ParseRoot() {
        SkipBlanks();
        ObjectData root = ParseObject(0);
        return root;
    }

private:
    static constexpr int kMaxDepth = ValueReader::kMaxDepth;

    [[noreturn]] void Fail(const QString& what) const {
        throw StreamError(StreamErrorKind::Syntax, what, SourcePos::AtLine(m_line, m_column));
    }
    [[noreturn]] void Expected(const QString& what) const {
        if (AtEnd()) Fail(QStringLiteral("%1 expected, found the end of the text").arg(what));
        Fail(QStringLiteral("%1 expected, found \"%2\"").arg(what, Peek()));
    }

    bool AtEnd() const { return m_pos >= m_text.size(); }
    QChar Peek() const { return AtEnd() ? QChar() : m_text.at(m_pos); }
    void Advance() {
        if (m_text.at(m_pos) == QLatin1Char('\n')) {
            ++m_line;
            m_column = 1;
        } else {
            ++m_column;
        }
        ++m_pos;
    }
    void SkipBlanks() {
        while (!AtEnd() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\r' || Peek() == '\n')) Advance();
    }
    static bool IsIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
    static bool IsIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    /// An identifier; with `dotted`, parts joined by dots ("Font.Name").
    QString Ident(bool dotted, const QString& what) {
        SkipBlanks();
        if (AtEnd() || !IsIdentStart(Peek())) Expected(what);
        QString s;
        for (;;) {
            while (!AtEnd() && IsIdentChar(Peek())) {
                s += Peek();
                Advance();
            }
            if (dotted && Peek() == QLatin1Char('.') && m_pos + 1 < m_text.size() && IsIdentStart(m_text.at(m_pos + 1))) {
                s += QLatin1Char('.');
                Advance();
                continue;
            }
            return s;
        }
    }
    void Expect(char c) {
        SkipBlanks();
        if (Peek() != QLatin1Char(c)) Expected(QStringLiteral("\"%1\"").arg(QLatin1Char(c)));
        Advance();
    }
    bool Take(char c) {
        SkipBlanks();
        if (Peek() != QLatin1Char(c)) return false;
        Advance();
        return true;
    }
    bool PeekWord(const char* word) {
        SkipBlanks();
        const QLatin1String w(word);
        if (m_text.size() - m_pos < w.size()) return false;
        if (QStringView(m_text).mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0) return false;
        return m_pos + w.size() >= m_text.size() || !IsIdentChar(m_text.at(m_pos + w.size()));
    }

    ObjectData ParseObject(int depth) {
        if (depth > kMaxDepth) Fail(QStringLiteral("Objects nested too deeply"));
        ObjectData obj;
        SkipBlanks();
        obj.pos = SourcePos::AtLine(m_line, m_column);
        const QString keyword = Ident(false, QStringLiteral("\"object\""));
        if (keyword.compare(QLatin1String("inherited"), Qt::CaseInsensitive) == 0) obj.flags |= FilerFlag::Inherited;
        else if (keyword.compare(QLatin1String("inline"), Qt::CaseInsensitive) == 0) obj.flags |= FilerFlag::Inline;
        else if (keyword.compare(QLatin1String("object"), Qt::CaseInsensitive) != 0) {
            m_pos -= keyword.size(), m_column -= static_cast<int>(keyword.size());
            Expected(QStringLiteral("\"object\""));
        }
        QString first = Ident(false, QStringLiteral("Class name"));
        if (Take(':')) {
            obj.name = first;
            obj.className = Ident(false, QStringLiteral("Class name"));
        } else {
            obj.className = first;
        }
        if (Take('[')) {
            obj.flags |= FilerFlag::ChildPos;
            obj.childPos = ParseInteger();
            Expect(']');
        }
        for (;;) {
            SkipBlanks();
            if (PeekWord("end")) {
                Ident(false, QString());
                return obj;
            }
            if (PeekWord("object") || PeekWord("inherited") || PeekWord("inline")) {
                obj.children.push_back(ParseObject(depth + 1));
                continue;
            }
            if (!obj.children.empty()) Expected(QStringLiteral("\"end\""));
            obj.properties.push_back(ParseProperty(depth));
        }
    }

    Property ParseProperty(int depth) {
        Property p;
        SkipBlanks();
        p.pos = SourcePos::AtLine(m_line, m_column);
        p.name = Ident(true, QStringLiteral("Property name"));
        Expect('=');
        p.value = ParseValue(depth + 1);
        return p;
    }

    Value ParseInteger() {
        SkipBlanks();
        const Value v = ParseNumber();
        if (!v.IsInteger()) Expected(QStringLiteral("Integer"));
        return v;
    }

    /// The infinities and not-a-number as the writer writes them ("INF", "-INF", "NAN",
    /// with the suffix "s" or "d" of singles and dates).
    static std::optional<Value> SpecialFloat(const QString& word, bool negative) {
        QString w = word.toUpper();
        char suffix = '\0';
        if (w.size() == 4 && (w.endsWith(u'S') || w.endsWith(u'D'))) {
            suffix = static_cast<char>(w.back().toLower().unicode());
            w.chop(1);
        }
        long double v = 0;
        if (w == QLatin1String("INF")) v = std::numeric_limits<long double>::infinity();
        else if (w == QLatin1String("NAN")) v = std::numeric_limits<long double>::quiet_NaN();
        else return std::nullopt;
        if (negative) v = -v;
        switch (suffix) {
        case 's': return Value::Single(static_cast<float>(v));
        case 'd': return Value::Date(static_cast<double>(v));
        default: return Value::Extended(v);
        }
    }

    Value ParseNumber() {
        SkipBlanks();
        const int line = m_line, column = m_column;
        QString s;
        if (Peek() == '-' || Peek() == '+') {
            s += Peek();
            Advance();
        }
        if (!s.isEmpty() && IsIdentStart(Peek())) {
            const QString word = Ident(false, QStringLiteral("Number"));
            if (auto special = SpecialFloat(word, s == QLatin1String("-"))) return *special;
            throw StreamError(StreamErrorKind::Syntax, QStringLiteral("Number expected"),
                              SourcePos::AtLine(line, column));
        }
        if (Peek() == '$') {
            Advance();
            QString hex;
            while (!AtEnd() && std::isxdigit(Peek().toLatin1())) {
                hex += Peek();
                Advance();
            }
            bool ok = false;
            const quint64 u = hex.toULongLong(&ok, 16);
            if (!ok || hex.size() > 16) Fail(QStringLiteral("Invalid integer"));
            const qint64 v = static_cast<qint64>(hex.size() <= 8 ? static_cast<qint64>(static_cast<qint32>(u)) : u);
            return Value::Integer(s == QLatin1String("-") ? -v : v);
        }
        bool isFloat = false;
        while (!AtEnd()) {
            const QChar c = Peek();
            if (c.isDigit()) {
                s += c;
            } else if (c == '.' || c == 'e' || c == 'E') {
                isFloat = true;
                s += c;
                if (c != '.' && (m_pos + 1 < m_text.size()) &&
                    (m_text.at(m_pos + 1) == '-' || m_text.at(m_pos + 1) == '+')) {
                    Advance();
                    s += Peek();
                }
            } else {
                break;
            }
            Advance();
        }
        const char suffix = AtEnd() ? '\0' : Peek().toLower().toLatin1();
        if (suffix == 's' || suffix == 'c' || suffix == 'd') {
            Advance();
            isFloat = true;
        }
        if (s.isEmpty() || s == "-" || s == "+")
            throw StreamError(StreamErrorKind::Syntax, QStringLiteral("Number expected"), SourcePos::AtLine(line, column));
        if (!isFloat) {
            bool ok = false;
            const qint64 v = s.toLongLong(&ok);
            if (!ok) throw StreamError(StreamErrorKind::Syntax, QStringLiteral("Invalid integer %1").arg(s), SourcePos::AtLine(line, column));
            return Value::Integer(v);
        }
        char* end = nullptr;
        const QByteArray latin = s.toLatin1();
        const long double f = std::strtold(latin.constData(), &end);
        if (end != latin.constData() + latin.size())
            throw StreamError(StreamErrorKind::Syntax, QStringLiteral("Invalid number %1").arg(s), SourcePos::AtLine(line, column));
        switch (suffix) {
        case 's': return Value::Single(static_cast<float>(f));
        case 'c': return Value::Currency(std::llround(f));
        case 'd': return Value::Date(static_cast<double>(f));
        default: return Value::Extended(f);
        }
    }

    /// Quoted pieces and #codes, joined by "+" across lines.
    QString ParseText() {
        QString s;
        for (;;) {
            SkipBlanks();
            bool any = false;
            for (;;) {
                if (Peek() == '\'') {
                    Advance();
                    for (;;) {
                        if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail(QStringLiteral("Unterminated string"));
                        if (Peek() == '\'') {
                            Advance();
                            if (Peek() == '\'') {
                                s += QLatin1Char('\'');
                                Advance();
                                continue;
                            }
                            break;
                        }
                        s += Peek();
                        Advance();
                    }
                    any = true;
                } else if (Peek() == '#') {
                    Advance();
                    QString digits;
                    bool hex = false;
                    if (Peek() == '$') {
                        hex = true;
                        Advance();
                    }
                    while (!AtEnd() && (hex ? std::isxdigit(Peek().toLatin1()) : Peek().isDigit()) && digits.size() < 8) {
                        digits += Peek();
                        Advance();
                    }
                    bool ok = false;
                    const uint code = digits.toUInt(&ok, hex ? 16 : 10);
                    if (!ok || code > 0xFFFF) Fail(QStringLiteral("Invalid character code"));
                    // Codes up to 255 are positions of the ANSI code page: #128 is the euro sign.
                    s += QChar(code <= 0xFF ? base::AnsiToUnicode(static_cast<std::uint8_t>(code))
                                            : static_cast<char16_t>(code));
                    any = true;
                } else {
                    break;
                }
            }
            if (!any) Expected(QStringLiteral("String"));
            SkipBlanks();
            if (Peek() != '+') return s;
            Advance();
        }
    }

    Value ParseValue(int depth) {
        if (depth > kMaxDepth) Fail(QStringLiteral("Values nested too deeply"));
        SkipBlanks();
        if (AtEnd()) Expected(QStringLiteral("Value"));
        const QChar c = Peek();
        if (c == '\'' || c == '#') return Value::Text(ParseText());
        if (c.isDigit() || c == '-' || c == '+' || c == '$') return ParseNumber();
        if (IsIdentStart(c)) {
            const QString word = Ident(true, QStringLiteral("Identifier"));
            if (auto special = SpecialFloat(word, false)) return *special;
            return Value::Ident(word);
        }
        if (c == '[') {
            Advance();
            QStringList names;
            if (!Take(']')) {
                do {
                    names << Ident(false, QStringLiteral("Set element"));
                } while (Take(','));
                Expect(']');
            }
            return Value::Set(names);
        }
        if (c == '(') {
            Advance();
            std::vector<Value> items;
            while (!Take(')')) items.push_back(ParseValue(depth + 1));
            return Value::List(std::move(items));
        }
        if (c == '{') {
            Advance();
            QByteArray hex;
            for (;;) {
                SkipBlanks();
                if (AtEnd()) Expected(QStringLiteral("\"}\""));
                if (Peek() == '}') break;
                if (!std::isxdigit(Peek().toLatin1())) Fail(QStringLiteral("Invalid binary data"));
                hex += Peek().toLatin1();
                Advance();
            }
            Advance();
            if (hex.size() % 2) Fail(QStringLiteral("Binary data with an odd number of digits"));
            return Value::Binary(QByteArray::fromHex(hex));
        }
        if (c == '<') {
            Advance();
            std::vector<CollectionItem> items;
            for (;;) {
                SkipBlanks();
                if (Take('>')) break;
                if (!PeekWord("item")) Expected(QStringLiteral("\"item\""));
                Ident(false, QString());
                CollectionItem item;
                if (Take('[')) {
                    item.index = ParseInteger();
                    Expect(']');
                }
                for (;;) {
                    SkipBlanks();
                    if (PeekWord("end")) {
                        Ident(false, QString());
                        break;
                    }
                    item.properties.push_back(ParseProperty(depth + 1));
                }
                items.push_back(std::move(item));
            }
            return Value::Collection(std::move(items));
        }
        Expected(QStringLiteral("Value"));
    }

    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_column = 1;
};

}  // namespace

QByteArray ObjectDataToText(const ObjectData& root, const TextOptions& options) {
    TextWriter w(options);
    w.WriteObject(root);
    return w.Take();
}

QByteArray ValueToText(const Value& value, const TextOptions& options) {
    TextWriter w(options);
    w.WriteValue(value);
    return w.Take();
}

ObjectData ParseObjectText(const QByteArray& text) {
    TextParser p(text);
    return p.ParseRoot();
}

QByteArray ObjectBinaryToText(const QByteArray& binary, const TextOptions& options) {
    return ObjectDataToText(ReadObjectBinary(binary), options);
}

QByteArray ObjectTextToBinary(const QByteArray& text) { return WriteObjectBinary(ParseObjectText(text)); }

StreamFormat DetectFormat(const QByteArray& bytes, qsizetype offset) {
    const QByteArray rest = bytes.mid(offset, 16);
    if (rest.startsWith("TPF0")) return StreamFormat::Binary;
    for (const char* word : {"object", "inherited", "inline"})
        if (rest.startsWith(word)) return StreamFormat::Text;
    return StreamFormat::Unknown;
}

}  // namespace stream
