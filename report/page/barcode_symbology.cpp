#include "report/page/barcode_symbology.h"

#include "report/page/resource_manager.h"

#include <array>
#include <cmath>

namespace report::barcode {

namespace {

const char* const kSetA[10] = {"0001101", "0011001", "0010011", "0111101", "0100011",
                               "0110001", "0101111", "0111011", "0110111", "0001011"};
const char* const kSetB[10] = {"0100111", "0110011", "0011011", "0100001", "0011101",
                               "0111001", "0000101", "0010001", "0001001", "0010111"};
const char* const kSetC[10] = {"1110010", "1100110", "1101100", "1000010", "1011100",
                               "1001110", "1010000", "1000100", "1001000", "1110100"};

const char* const kEAN13Sets[10] = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                    "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
const char* const kUPCEParity[10] = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                     "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};
const char* const kAddOn5Parity[10] = {"BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA",
                                       "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};
const char* const kAddOn2Parity[4] = {"AA", "AB", "BA", "BB"};

const char* const kInt2of5[10] = {"00110", "10001", "01001", "11000", "00101",
                                  "10100", "01100", "00011", "10010", "01010"};

const char* const kPostnet[10] = {"22111", "11122", "11212", "11221", "12112",
                                  "12121", "12211", "21112", "21121", "21211"};

struct Code39Entry { char c; const char* pattern; };
const Code39Entry kCode39[] = {
    {'0', "000110100"}, {'1', "100100001"}, {'2', "001100001"}, {'3', "101100000"}, {'4', "000110001"},
    {'5', "100110000"}, {'6', "001110000"}, {'7', "000100101"}, {'8', "100100100"}, {'9', "001100100"},
    {'A', "100001001"}, {'B', "001001001"}, {'C', "101001000"}, {'D', "000011001"}, {'E', "100011000"},
    {'F', "001011000"}, {'G', "000001101"}, {'H', "100001100"}, {'I', "001001100"}, {'J', "000011100"},
    {'K', "100000011"}, {'L', "001000011"}, {'M', "101000010"}, {'N', "000010011"}, {'O', "100010010"},
    {'P', "001010010"}, {'Q', "000000111"}, {'R', "100000110"}, {'S', "001000110"}, {'T', "000010110"},
    {'U', "110000001"}, {'V', "011000001"}, {'W', "111000000"}, {'X', "010010001"}, {'Y', "110010000"},
    {'Z', "011010000"}, {' ', "011000100"}, {'-', "010000101"}, {'.', "110000100"}, {'$', "010101000"},
    {'/', "010100010"}, {'+', "010001010"}, {'%', "000101010"}, {'*', "010010100"}};

struct CodabarEntry { char c; const char* pattern; };
const CodabarEntry kCodabar[] = {
    {'0', "0000011"}, {'1', "0000110"}, {'2', "0001001"}, {'3', "1100000"}, {'4', "0010010"},
    {'5', "1000010"}, {'6', "0100001"}, {'7', "0100100"}, {'8', "0110000"}, {'9', "1001000"},
    {'-', "0001100"}, {'$', "0011000"}, {':', "1000101"}, {'/', "1010001"}, {'.', "1010100"},
    {'+', "0010101"}, {'A', "0011010"}, {'B', "0101001"}, {'C', "0001011"}, {'D', "0001110"}};

// Bar and space widths of the Code 128 symbols 0 to 105 (bar first), then the stop.
const char* const kCode128[107] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232", "2331112"};

const char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int roundEven(double v) { return int(std::nearbyint(v)); }

bool allDigits(const QString& s) {
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return !s.isEmpty();
}

int digitAt(const QString& s, int i) { return s.at(i).unicode() - u'0'; }

QString withCheck(const QString& digits, int oddWeight, int evenWeight) {
    int sum = 0;
    for (int i = 0; i < digits.size(); ++i) sum += digitAt(digits, i) * ((i % 2 == 0) ? oddWeight : evenWeight);
    const int check = (10 - sum % 10) % 10;
    return digits + QChar(u'0' + check);
}

/// Appends `count` pixels of `bit`.
void put(QByteArray& out, char bit, int count) {
    if (count > 0) out.append(count, bit);
}

/// A module string ("0101...") at n pixels a module.
void putModules(QByteArray& out, const char* modules, int n) {
    for (const char* p = modules; *p; ++p) put(out, *p, n);
}

/// Wide/narrow elements alternating bar and space from `startBar`.
void putElements(QByteArray& out, const char* elements, int narrow, int wide, bool startBar = true) {
    bool bar = startBar;
    for (const char* p = elements; *p; ++p) {
        put(out, bar ? '1' : '0', *p == '1' ? wide : narrow);
        bar = !bar;
    }
}

QString msg(int n) {
    DeclareBarCodeTexts();
    return ppGetMessageText(n);
}

// Code 128 --------------------------------------------------------------------------------

bool inSetA(int c) { return (c >= 32 && c <= 95) || c == 201 || c == 202 || c == 206 || c == 207 || (c >= 211 && c <= 242); }
bool inSetB(int c) { return (c >= 32 && c <= 127) || c == 201 || c == 202 || c == 205 || c == 207; }
bool pairable(int c) { return (c >= '0' && c <= '9') || c == 207; }

struct AutoClassified {
    std::vector<int> codes;
    std::vector<char> pair;  // 0 none, 1 first member, 2 second member
};

char chooseSet(const AutoClassified& d, size_t p) {
    bool a = true, b = true, c = true;
    const size_t n = d.codes.size();
    bool reachedEnd = true;
    for (size_t j = p; j < n; ++j) {
        const bool na = a && inSetA(d.codes[j]);
        const bool nb = b && inSetB(d.codes[j]);
        const bool nc = c && d.pair[j] != 0;
        if (int(na) + int(nb) + int(nc) == 0) { reachedEnd = false; break; }
        a = na; b = nb; c = nc;
        if (int(a) + int(b) + int(c) == 1 || (j == p && c)) { reachedEnd = false; break; }
    }
    if (reachedEnd && int(a) + int(b) + int(c) > 1 && p < n) {
        a = inSetA(d.codes[p]);
        b = inSetB(d.codes[p]);
        c = d.pair[p] != 0;
    }
    if (c) return 'C';
    if (a) return 'A';
    return 'B';
}

QString toText(const std::vector<int>& codes) {
    QString s;
    for (int c : codes) s.append(QChar(char16_t(c)));
    return s;
}

}  // namespace

void DeclareBarCodeTexts() {
    static const bool done = [] {
        DeclareTexts({
            {423, "Only UPC and EAN barcodes can have add-on codes."},
            {424, "Add-on codes must be either 2 or 5 digits"},
            {425, "PostNet barcodes must have AutoSize = True"},
            {426, "EAN-13 and UPC-A barcodes must have AutoSizeFont = True"},
            {427, "BarWidth must be at least <minbarwidth>"},
            {428, "BarWidth can be no more than <maxbarwidth>"},
            {429, "Only Interleaved 2 of 5 barcodes can have bearer bars"},
            {430, "Code 39 barcodes can only contain A-Z, 0-9, $, %, +, -, ., /, and spaces"},
            {431, "EAN-13 barcodes must be 12 digits (13 with check digit)"},
            {432, "EAN-13 barcodes must be 13 digits including the check digit"},
            {433, "EAN-13 barcodes must be numeric"},
            {434, "Interleaved 2 of 5 barcodes must be numeric"},
            {435, "Interleaved 2 of 5 barcodes must have an even number of digits"},
            {436, "PostNet barcodes must be numeric"},
            {437, "PostNet barcodes must be 5, 9, or 11 digits long"},
            {438, "UPC-A barcodes must be 11 digits (12 with check digit)"},
            {439, "UPC-A barcodes must be 12 digits including the check digit"},
            {440, "UPC-A barcodes must be numeric"},
            {441, "AutoSizeFont"},
            {442, "PrintHumanReadable"},
            {443, "Configure..."},
            {444, "Configure"},
            {445, "Type"},
            {446, "Bar Width"},
            {447, "Wide Bar Ratio"},
            {448, "Add On Code"},
            {449, "Bearer Bars"},
            {450, "Calculate Check Digit"},
            {451, "Code 128 must begin with a start code (#208, #209 or #210)"},
            {452, "A start code can only be placed at the beginning of the symbol"},
            {453, "Only Code B can contain the character <character>"},
            {454, "Only Code A can contain characters #211 through #242"},
            {455, "The Code C portion must contain an even number of digits"},
            {456, "The Code C portion must be numeric"},
            {457, "Code C does not utilize characters #201 through #204"},
            {458, "You cannot have two shift codes in a row"},
            {645, "EAN-8 barcodes must be 7 digits (8 with check digit)"},
            {646, "EAN-8 barcodes must be 8 digits including the check digit"},
            {647, "EAN-8 barcodes must be numeric"},
            {648, "UPC-E barcodes must be 6 digits (7 with check digit)"},
            {649, "UPC-E barcodes must be 7 digits including the check digit"},
            {650, "UPC-E barcodes must be numeric"},
            {651, "The only valid choices for FIM codes are A, B, or C"},
            {652, "Codabar can only encode 0-9, A, B, C, D, -, $, :, /, ., and +"},
            {653, "A Codabar symbol must start and end with A, B, C, or D."},
            {654, "A, B, C, and D are used only for the start and stop codes for Codabar."},
            {655, "They cannot appear anywhere in the middle of the data."},
            {692, "Auto Encode"},
            {694, "Data to be encoded"},
        });
        return true;
    }();
    (void)done;
}

int Pixels(int aMMThousandths, double aFactor, int aResolution) {
    return roundEven(aMMThousandths / 25400.0 * aFactor * aResolution);
}

int CodePagePosition(QChar aChar) {
    const char16_t u = aChar.unicode();
    if (u < 0x80 || (u >= 0xA0 && u < 0x100)) return u;
    if (u >= 0x80 && u < 0xA0) return (kCp1252High[u - 0x80] == 0) ? u : 256;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == u) return 0x80 + i;
    return 256;
}

QByteArray DigitPattern(char aSet, int aDigit) {
    const char* const* table = aSet == 'A' ? kSetA : aSet == 'B' ? kSetB : kSetC;
    return QByteArray(table[aDigit]);
}

QString AddUPCCheckDigit(const QString& aDigits) { return withCheck(aDigits, 3, 1); }
QString AddEAN13CheckDigit(const QString& aDigits) { return withCheck(aDigits, 1, 3); }
QString AddInt2of5CheckDigit(const QString& aDigits) { return withCheck(aDigits, 3, 1); }

QString AddPostnetCheckDigit(const QString& aDigits) {
    int sum = 0;
    for (QChar c : aDigits)
        if (c.isDigit()) sum += c.unicode() - u'0';
    return aDigits + QChar(u'0' + (10 - sum % 10) % 10);
}

QString ExpandUPCE(const QString& aSixDigits) {
    QString s = aSixDigits.left(6);
    if (s.size() < 6) return {};
    const int d6 = digitAt(s, 5);
    QString body;
    if (d6 <= 2) body = s.left(2) + QChar(u'0' + d6) + QStringLiteral("0000") + s.mid(2, 3);
    else if (d6 == 3) body = s.left(3) + QStringLiteral("00000") + s.mid(3, 2);
    else if (d6 == 4) body = s.left(4) + QStringLiteral("00000") + s.mid(4, 1);
    else body = s.left(5) + QStringLiteral("0000") + s.mid(5, 1);
    return (QStringLiteral("0") + body).left(11);
}

QString AddOnParity(const QString& aAddOnCode) {
    if (!allDigits(aAddOnCode)) return {};
    if (aAddOnCode.size() == 2) return QString::fromLatin1(kAddOn2Parity[aAddOnCode.toInt() % 4]);
    if (aAddOnCode.size() == 5) {
        const int s = 3 * (digitAt(aAddOnCode, 0) + digitAt(aAddOnCode, 2) + digitAt(aAddOnCode, 4)) +
                      9 * (digitAt(aAddOnCode, 1) + digitAt(aAddOnCode, 3));
        return QString::fromLatin1(kAddOn5Parity[s % 10]);
    }
    return {};
}

QByteArray EncodeAddOn(TppBarCodeType aType, const QString& aAddOnCode, int aBarWidth, int aResolution) {
    if (aType > TppBarCodeType::bcEAN_8) return {};
    const QString parity = AddOnParity(aAddOnCode);
    if (parity.isEmpty()) return {};
    const int n = Pixels(aBarWidth, 1, aResolution);
    QByteArray out;
    putModules(out, "1011", n);
    for (int i = 0; i < aAddOnCode.size(); ++i) {
        if (i > 0) putModules(out, "01", n);
        putModules(out, DigitPattern(char(parity.at(i).unicode()), digitAt(aAddOnCode, i)).constData(), n);
    }
    return out;
}

QString Code128AutoEncode(const QString& aData) {
    AutoClassified d;
    for (QChar ch : aData) {
        const int c = CodePagePosition(ch);
        if ((c >= 203 && c <= 206) || (c >= 208 && c <= 210)) continue;
        d.codes.push_back(c);
    }
    const size_t n = d.codes.size();
    d.pair.assign(n, 0);
    for (size_t i = 0; i < n;) {
        if (i + 1 < n && pairable(d.codes[i]) && pairable(d.codes[i + 1])) {
            d.pair[i] = 1;
            d.pair[i + 1] = 2;
            i += 2;
        } else {
            ++i;
        }
    }
    std::vector<int> out;
    char set = chooseSet(d, 0);
    out.push_back(set == 'C' ? kStartC : set == 'A' ? kStartA : kStartB);
    for (size_t i = 0; i < n; ++i) {
        const int c = d.codes[i];
        if (d.pair[i] == 1) {
            const bool endsData = i + 2 >= n;
            const bool anotherPair = !endsData && d.pair[i + 2] == 1;
            if (set == 'C' || endsData || anotherPair) {
                if (set != 'C') { out.push_back(kCodeC); set = 'C'; }
                out.push_back(c);
                out.push_back(d.codes[i + 1]);
                ++i;
                continue;
            }
        }
        if (set == 'C') {
            const char next = chooseSet(d, i);
            set = next == 'A' ? 'A' : 'B';
            out.push_back(set == 'A' ? kCodeA : kCodeB);
        } else if (set == 'A' && !inSetA(c)) {
            if (i + 1 >= n || inSetB(d.codes[i + 1])) { out.push_back(kCodeB); set = 'B'; }
            else out.push_back(kShift);
        } else if (set == 'B' && !inSetB(c)) {
            if (i + 1 >= n || inSetA(d.codes[i + 1])) { out.push_back(kCodeA); set = 'A'; }
            else out.push_back(kShift);
        }
        out.push_back(c);
    }
    return toText(out);
}

namespace {

void fail(EncodeResult& r, int number, const QString& text) {
    r.CodeOK = false;
    r.MessageNo = number;
    r.Message = text;
    r.Modules.clear();
}

void encodeCode128(const EncodeInput& in, int n, EncodeResult& r) {
    if (in.AutoEncode) r.Data = Code128AutoEncode(r.Data);
    std::vector<int> codes;
    for (QChar ch : r.Data) codes.push_back(CodePagePosition(ch));
    auto putSymbol = [&](int value) {
        const char* widths = kCode128[value];
        bool bar = true;
        for (const char* p = widths; *p; ++p) {
            put(r.Modules, bar ? '1' : '0', (*p - '0') * n);
            bar = !bar;
        }
    };
    if (codes.empty() || codes[0] < kStartA || codes[0] > kStartC) {
        fail(r, 451, msg(451));
        return;
    }
    char set = codes[0] == kStartA ? 'A' : codes[0] == kStartB ? 'B' : 'C';
    int checksum = codes[0] - kStartA + 103;
    putSymbol(checksum);
    int weight = 1;
    bool shiftPending = false;
    auto add = [&](int value) {
        putSymbol(value);
        checksum += weight * value;
        ++weight;
    };
    for (size_t i = 1; i < codes.size(); ++i) {
        const int c = codes[i];
        bool shifting = false;
        if (c >= kStartA && c <= kStartC) { fail(r, 452, msg(452)); return; }
        if (set == 'C') {
            if (c >= 201 && c <= 204) { fail(r, 457, msg(457)); return; }
            if (c == kCodeB) { add(100); set = 'B'; }
            else if (c == kCodeA) { add(101); set = 'A'; }
            else if (c == kFNC1) add(102);
            else {
                if (i + 1 >= codes.size()) { fail(r, 455, msg(455)); return; }
                const int c2 = codes[i + 1];
                if (c < '0' || c > '9' || c2 < '0' || c2 > '9') { fail(r, 456, msg(456)); return; }
                add((c - '0') * 10 + (c2 - '0'));
                ++i;
            }
        } else if (c >= 32 && c <= 95) {
            add(c - 32);
        } else if (c >= 96 && c <= 127) {
            if (set != 'B') {
                fail(r, 453, (DeclareBarCodeTexts(), MessageText(453, {QString(r.Data.at(qsizetype(i)))})));
                return;
            }
            add(c - 32);
        } else if (c >= 211 && c <= 242) {
            if (set != 'A') { fail(r, 454, msg(454)); return; }
            add(c - 147);
        } else if (c == kFNC3) add(96);
        else if (c == kFNC2) add(97);
        else if (c == kShift) {
            if (shiftPending) { fail(r, 458, msg(458)); return; }
            add(98);
            set = set == 'A' ? 'B' : 'A';
            shiftPending = true;
            shifting = true;
        } else if (c == kCodeC) { add(99); set = 'C'; }
        else if (c == kCodeB) { add(100); set = 'B'; }
        else if (c == kCodeA) { add(101); set = 'A'; }
        else if (c == kFNC1) add(102);
        else {
            // A character neither code set carries: dropping it would make the symbol scan as
            // other data than the user gave, so the data is refused.
            const QString shown = c < 32 ? QStringLiteral("#%1").arg(c) : QString(r.Data.at(qsizetype(i)));
            fail(r, 0, QStringLiteral("Code 128 cannot contain the character %1").arg(shown));
            return;
        }
        if (!shifting && shiftPending) {
            shiftPending = false;
            set = set == 'A' ? 'B' : 'A';
        }
    }
    putSymbol(checksum % 103);
    putSymbol(106);
}

}  // namespace

EncodeResult Encode(const EncodeInput& aInput, int aResolution) {
    EncodeResult r;
    r.Data = aInput.Data;
    r.CodeOK = aInput.CodeOK;
    if (aInput.Data.isEmpty() || !aInput.CodeOK) return r;
    const int n = Pixels(aInput.BarWidth, 1, aResolution);
    const int wide = Pixels(aInput.BarWidth, aInput.WideBarRatio, aResolution);
    QByteArray& out = r.Modules;
    QString& data = r.Data;
    auto digitsOnly = [&](int length) { return data.size() == length && allDigits(data); };
    switch (aInput.Type) {
    case TppBarCodeType::bcUPC_A: {
        if (aInput.CalcCheckDigit) data = AddUPCCheckDigit(data.left(11));
        if (!digitsOnly(12)) { r.CodeOK = false; break; }
        putModules(out, "101", n);
        for (int i = 0; i < 6; ++i) putModules(out, kSetA[digitAt(data, i)], n);
        putModules(out, "01010", n);
        for (int i = 6; i < 12; ++i) putModules(out, kSetC[digitAt(data, i)], n);
        putModules(out, "101", n);
        break;
    }
    case TppBarCodeType::bcUPC_E: {
        if (aInput.CalcCheckDigit) {
            data = data.left(6);
            if (allDigits(data) && data.size() == 6) data += AddUPCCheckDigit(ExpandUPCE(data)).right(1);
        }
        if (!digitsOnly(7)) { r.CodeOK = false; break; }
        const char* parity = kUPCEParity[digitAt(data, 6)];
        putModules(out, "101", n);
        for (int i = 0; i < 6; ++i) putModules(out, DigitPattern(parity[i], digitAt(data, i)).constData(), n);
        putModules(out, "010101", n);
        break;
    }
    case TppBarCodeType::bcEAN_13: {
        if (aInput.CalcCheckDigit) data = AddEAN13CheckDigit(data.left(12));
        if (!digitsOnly(13)) { r.CodeOK = false; break; }
        const char* sets = kEAN13Sets[digitAt(data, 0)];
        putModules(out, "101", n);
        for (int i = 1; i < 7; ++i) putModules(out, DigitPattern(sets[i - 1], digitAt(data, i)).constData(), n);
        putModules(out, "01010", n);
        for (int i = 7; i < 13; ++i) putModules(out, kSetC[digitAt(data, i)], n);
        putModules(out, "101", n);
        break;
    }
    case TppBarCodeType::bcEAN_8: {
        if (aInput.CalcCheckDigit) data = AddUPCCheckDigit(data.left(7));
        if (!digitsOnly(8)) { r.CodeOK = false; break; }
        putModules(out, "101", n);
        for (int i = 0; i < 4; ++i) putModules(out, kSetA[digitAt(data, i)], n);
        putModules(out, "01010", n);
        for (int i = 4; i < 8; ++i) putModules(out, kSetC[digitAt(data, i)], n);
        putModules(out, "101", n);
        break;
    }
    case TppBarCodeType::bcInt2of5: {
        if (aInput.CalcCheckDigit && data.size() % 2 == 1) data = AddInt2of5CheckDigit(data);
        if (!allDigits(data) || data.size() % 2 == 1) { r.CodeOK = false; break; }
        putElements(out, "0000", n, wide);
        for (int i = 0; i + 1 < data.size(); i += 2) {
            const char* bars = kInt2of5[digitAt(data, i)];
            const char* spaces = kInt2of5[digitAt(data, i + 1)];
            for (int k = 0; k < 5; ++k) {
                put(out, '1', bars[k] == '1' ? wide : n);
                put(out, '0', spaces[k] == '1' ? wide : n);
            }
        }
        putElements(out, "100", n, wide);
        break;
    }
    case TppBarCodeType::bcCode128:
        encodeCode128(aInput, n, r);
        break;
    case TppBarCodeType::bcCode39: {
        QString text = data;
        if (!text.startsWith(u'*')) text.prepend(u'*');
        if (!text.endsWith(u'*') || text.size() == 1) text.append(u'*');
        const int gap = Pixels(aInput.BarWidth, 2, aResolution);
        const char* previous = kCode39[std::size(kCode39) - 1].pattern;
        for (QChar ch : text) {
            const QChar upper = ch.toUpper();
            for (const auto& e : kCode39)
                if (upper == QLatin1Char(e.c)) previous = e.pattern;
            putElements(out, previous, n, wide);
            put(out, '0', gap);
        }
        break;
    }
    case TppBarCodeType::bcPostnet: {
        const int space = Pixels(aInput.BarWidth, 1.375, aResolution);
        auto bar = [&](char kind) {
            put(out, kind, n);
            put(out, '0', space);
        };
        bar('2');
        QString digits;
        for (QChar ch : data) {
            if (ch == u'-') continue;
            if (!ch.isDigit()) { r.CodeOK = false; break; }
            digits.append(ch);
            for (const char* p = kPostnet[ch.unicode() - u'0']; *p; ++p) bar(*p);
        }
        if (!r.CodeOK) break;
        const int check = digitAt(AddPostnetCheckDigit(digits), int(digits.size()));
        for (const char* p = kPostnet[check]; *p; ++p) bar(*p);
        put(out, '2', n);
        break;
    }
    case TppBarCodeType::bcFIM: {
        const QChar c = data.at(0).toUpper();
        const char* pattern = c == u'A' ? "110010011" : c == u'B' ? "101101101" : c == u'C' ? "110101011" : nullptr;
        if (!pattern) { r.CodeOK = false; break; }
        for (const char* p = pattern; *p; ++p) {
            put(out, *p, n);
            put(out, '0', n);
        }
        break;
    }
    case TppBarCodeType::bcCodabar: {
        for (QChar ch : data) {
            const QChar upper = ch.toUpper();
            const char* pattern = nullptr;
            for (const auto& e : kCodabar)
                if (upper == QLatin1Char(e.c)) pattern = e.pattern;
            if (!pattern) { r.CodeOK = false; break; }
            putElements(out, pattern, n, wide);
            put(out, '0', n);
        }
        break;
    }
    }
    if (!r.CodeOK) r.Modules.clear();
    return r;
}

}  // namespace report::barcode
