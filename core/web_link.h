#pragma once

#include <QObject>
#include <QString>

#include <functional>

/// The scheme a web link puts in front of its address.
enum class TURLType { utFile, utFtp, utGopher, utHttp, utHttps, utMailto, utNews, utTelnet, utWais };

/// Opens a web, mail or other link with the desktop's default handler. The caller sets the
/// address (without its scheme) and the kind, then calls Execute. No message is shown on
/// failure; callers decide.
class TURL : public QObject {
    Q_OBJECT
public:
    explicit TURL(QObject* owner = nullptr);

    QString URL() const { return m_url; }
    void SetURL(const QString& url) { m_url = url; }
    TURLType URLType() const { return m_type; }
    void SetURLType(TURLType type) { m_type = type; }

    /// "http://", "mailto:", ... for each kind.
    static QString Prefix(TURLType type);
    /// The text handed to the desktop: Prefix(URLType) + URL (an address that already
    /// carries the scheme gets it twice, as asked).
    QString FullAddress() const { return Prefix(m_type) + m_url; }

    /// Opens FullAddress; false for an empty URL or when the desktop has no handler for it.
    /// Addresses of any length are handed over whole.
    bool Execute();

    /// How addresses are opened (tests replace it); the desktop's handler by default.
    static void SetOpener(std::function<bool(const QString& address)> opener);

private:
    QString m_url;
    TURLType m_type = TURLType::utHttp;
};
