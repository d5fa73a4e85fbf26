#include "report/page/resource_manager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <memory>

namespace {

constexpr qint64 kMaxModuleBytes = 16 * 1024 * 1024;
constexpr int kMaxTextLength = 1023;

std::unique_ptr<TppResourceManager>& instance() {
    static std::unique_ptr<TppResourceManager> manager;
    return manager;
}

QString unescape(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        if (n == QLatin1Char('r')) out += QLatin1Char('\r');
        else if (n == QLatin1Char('n')) out += QLatin1Char('\n');
        else if (n == QLatin1Char('t')) out += QLatin1Char('\t');
        else if (n == QLatin1Char('\\')) out += QLatin1Char('\\');
        else out += QLatin1Char('\\') + QString(n);
    }
    return out;
}

// Text placeholders, in the order they are replaced.
constexpr std::array<const char*, 15> kPlaceholders = {
    "<page>", "<pagecount>", "<documentname>", "<printername>", "<columnno>", "<filename>", "<minbarwidth>",
    "<maxbarwidth>", "<character>", "<identifier>", "<name>", "<count>", "<message>", "<length>", "<no>",
};

}  // namespace

TppResourceManager::TppResourceManager() {
    if (QCoreApplication::instance()) m_searchFolders << QCoreApplication::applicationDirPath();
}

QStringList TppResourceManager::Modules() const {
    QStringList names;
    for (const Module& m : m_modules) names << m.name;
    return names;
}

QString TppResourceManager::GetString(int aIdent) const {
    if (m_loadedCount > 0) {
        for (const Module& m : m_modules) {
            if (!m.texts) continue;
            const QString text = m.texts->value(aIdent);
            if (!text.isEmpty()) return text;
        }
    }
    return base::MessageText(aIdent).left(kMaxTextLength);
}

void TppResourceManager::RegisterModule(const QString& aName) {
    for (const Module& m : m_modules)
        if (m.name.compare(aName, Qt::CaseInsensitive) == 0) return;
    m_modules.push_back({aName, std::nullopt});
    load(m_modules.back());
}

void TppResourceManager::UnRegisterModule(const QString& aName) {
    for (auto it = m_modules.begin(); it != m_modules.end(); ++it) {
        if (it->name.compare(aName, Qt::CaseInsensitive) != 0) continue;
        if (it->texts) --m_loadedCount;
        m_modules.erase(it);
        return;
    }
}

bool TppResourceManager::SetLanguage(TppLanguageType aLanguage) {
    const TppLanguageType previous = m_language;
    m_language = aLanguage;
    for (Module& m : m_modules) m.texts.reset();
    m_loadedCount = 0;
    for (Module& m : m_modules) load(m);
    if (aLanguage != TppLanguageType::lgDefault && m_loadedCount == 0) {
        m_language = previous;
        return false;
    }
    return true;
}

void TppResourceManager::load(Module& module) {
    module.texts = readModule(module.name + QLatin1Char('.') + ppGetLanguageExtension(m_language));
    if (module.texts) ++m_loadedCount;
}

std::optional<QHash<int, QString>> TppResourceManager::readModule(const QString& fileName) const {
    for (const QString& folder : m_searchFolders) {
        QDir dir(folder);
        QString path = dir.filePath(fileName);
        if (!QFileInfo::exists(path)) {
            // Windows file names ignore case; find the file however it is spelled.
            const QStringList matches = dir.entryList({fileName}, QDir::Files | QDir::CaseSensitive);
            const QStringList any = matches.isEmpty() ? dir.entryList(QDir::Files) : matches;
            path.clear();
            for (const QString& entry : any)
                if (entry.compare(fileName, Qt::CaseInsensitive) == 0) path = dir.filePath(entry);
            if (path.isEmpty()) continue;
        }
        QFile file(path);
        if (file.size() > kMaxModuleBytes || !file.open(QIODevice::ReadOnly)) return std::nullopt;
        QHash<int, QString> texts;
        const QString content = QString::fromUtf8(file.readAll());
        for (QStringView line : QStringView(content).split(QLatin1Char('\n'))) {
            if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
            if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0) continue;
            bool ok = false;
            const int ident = line.left(eq).trimmed().toInt(&ok);
            if (!ok) continue;
            texts.insert(ident, unescape(line.mid(eq + 1)).left(kMaxTextLength));
        }
        return texts;
    }
    return std::nullopt;
}

TppResourceManager& ppGetResourceManager() {
    auto& manager = instance();
    if (!manager) manager = std::make_unique<TppResourceManager>();
    return *manager;
}

void ppFreeResourceManager() { instance().reset(); }

QString ppGetMessageText(int N) { return ppGetResourceManager().GetString(report::kTextBase + N); }

QString ppMessageToFormat(const QString& aText) {
    QString text = aText;
    for (const char* placeholder : kPlaceholders) text.replace(QLatin1String(placeholder), QLatin1String("%s"));
    return text;
}

QString ppGetLanguageExtension(TppLanguageType aLanguage) {
    static const char* const extensions[] = {"dft", "dan", "nld", "eng", "fra", "deu", "ita",
                                             "ptb", "ptg", "esp", "esm", "sve", "nor", "cst"};
    const int i = static_cast<int>(aLanguage);
    return i >= 0 && i < int(std::size(extensions)) ? QString::fromLatin1(extensions[i]) : QString();
}

namespace report {

void DeclareTexts(std::initializer_list<base::MessageDef> texts) {
    for (const base::MessageDef& t : texts) base::DeclareMessage(kTextBase + t.number, QString::fromUtf8(t.text));
}

QString MessageText(int N, const QStringList& args) {
    const QString text = ppGetMessageText(N);
    if (args.isEmpty()) return text;
    return base::FormatText(ppMessageToFormat(text), args);
}

}  // namespace report
