#include "invoice/mail/pop3_client.h"

#include <curl/curl.h>
#include <mutex>

namespace vq::invoice {

namespace {

std::once_flag curlInitialised;

// Gives the transfer up once the flag is set; libcurl asks about once a
// second also while it waits for the server.
int abortWhenSet(void *flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<const std::atomic_bool *>(flag)->load() ? 1 : 0;
}

size_t appendTo(char *data, size_t size, size_t count, void *target)
{
    static_cast<QByteArray *>(target)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

// Lines of a multi-line reply as "number value" pairs.
template <typename Pair, typename Convert>
std::optional<QList<Pair>> parseNumberedLines(const QByteArray &body, Convert convert)
{
    QList<Pair> result;
    for (const QByteArray &rawLine : body.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line == ".")
            continue;
        const qsizetype space = line.indexOf(' ');
        bool ok = false;
        const int number = line.left(space).toInt(&ok);
        if (space < 0 || !ok)
            return std::nullopt;
        Pair pair;
        pair.number = number;
        if (!convert(line.mid(space + 1).trimmed(), pair))
            return std::nullopt;
        result << pair;
    }
    return result;
}

} // namespace

Pop3Client::Pop3Client(Pop3Account account)
    : m_account(std::move(account))
{
    std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

Pop3Client::~Pop3Client()
{
    quit();
}

bool Pop3Client::quit()
{
    // Sent as a command of its own, so that the server's answer is seen;
    // libcurl sends QUIT on closing too but keeps the answer to itself.
    // Not after a cancel or a lost connection: that would log in anew only
    // to log out.
    bool confirmed = false;
    if (m_curl && m_connected && !m_connectionLost && !(m_abort && m_abort->load())) {
        QByteArray ignored;
        confirmed = perform(QString(), QStringLiteral("QUIT"), true, &ignored, nullptr);
    }
    // Closing the connection sends QUIT, whatever the abort flag says.
    if (m_curl) {
        curl_easy_setopt(static_cast<CURL *>(m_curl), CURLOPT_NOPROGRESS, 1L);
        curl_easy_cleanup(static_cast<CURL *>(m_curl));
    }
    m_curl = nullptr;
    m_connected = false;
    return confirmed;
}

bool Pop3Client::perform(const QString &path, const QString &command, bool bodyless,
                         QByteArray *body, QByteArray *reply)
{
    m_loginRefused = false;
    m_connectionLost = false;
    if (!m_curl)
        m_curl = curl_easy_init();
    CURL *curl = static_cast<CURL *>(m_curl);
    if (!curl) {
        m_lastError = QStringLiteral("libcurl konnte nicht gestartet werden.");
        return false;
    }
    const QString scheme = m_account.security == Pop3Security::Pop3s ? QStringLiteral("pop3s")
                                                                     : QStringLiteral("pop3");
    // An IPv6 address needs brackets in the URL.
    const QString host =
        m_account.host.contains(u':') ? u'[' + m_account.host + u']' : m_account.host;
    const QByteArray url =
        QStringLiteral("%1://%2:%3/%4").arg(scheme, host).arg(m_account.port).arg(path).toUtf8();
    const QByteArray user = m_account.user.toUtf8();
    const QByteArray password = m_account.password.toUtf8();
    const QByteArray request = command.toUtf8();
    char errorBuffer[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_USERNAME, user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, password.constData());
    // The password goes in clear text: with USER and PASS, or with SASL PLAIN
    // where the server offers it (libcurl prefers that and has no switch to
    // USER/PASS only); either way no other secret than the typed password.
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     static_cast<long>(m_account.security == Pop3Security::Stls ? CURLUSESSL_ALL
                                                                                : CURLUSESSL_NONE));
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, m_account.verifyCertificate ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, m_account.verifyCertificate ? 2L : 0L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(m_account.timeoutSeconds));
    // A server that stops sending for the timeout counts as a broken connection.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(m_account.timeoutSeconds));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST,
                     request.isEmpty() ? nullptr : request.constData());
    curl_easy_setopt(curl, CURLOPT_NOBODY, bodyless ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendTo);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, body);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, reply ? appendTo : nullptr);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, reply);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, m_abort ? 0L : 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, m_abort ? abortWhenSet : nullptr);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, m_abort);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    long newConnections = 0;
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &newConnections);
    if (m_connected && newConnections > 0) {
        // The connection the earlier commands used is gone; message numbers
        // and the last reply cannot be trusted any more.
        m_lastError = QStringLiteral("Die Verbindung zum Mailserver ist abgebrochen (%1).")
                          .arg(QString::fromUtf8(url));
        m_connectionLost = true;
        return false;
    }
    if (code == CURLE_OK) {
        m_connected = true;
        return true;
    }
    m_loginRefused = code == CURLE_LOGIN_DENIED;
    m_lastError = QString::fromUtf8(errorBuffer[0] ? errorBuffer : curl_easy_strerror(code))
                  + QStringLiteral(" (") + QString::fromUtf8(url) + u')';
    return false;
}

std::optional<int> Pop3Client::stat()
{
    QByteArray ignored;
    QByteArray reply;
    if (!perform(QString(), QStringLiteral("STAT"), true, &ignored, &reply))
        return std::nullopt;
    // The reply of STAT is the last line of the server's replies: "+OK count size".
    const QList<QByteArray> lines = reply.trimmed().split('\n');
    const QList<QByteArray> words = lines.last().trimmed().split(' ');
    bool ok = false;
    const int count = words.size() >= 2 && words[0] == "+OK" ? words[1].toInt(&ok) : 0;
    if (!ok || count < 0) {
        m_lastError = QStringLiteral("Unerwartete Antwort auf STAT: %1")
                          .arg(QString::fromLatin1(lines.last()));
        return std::nullopt;
    }
    return count;
}

std::optional<QList<Pop3Listing>> Pop3Client::list()
{
    QByteArray body;
    if (!perform(QString(), QString(), false, &body, nullptr))
        return std::nullopt;
    auto result =
        parseNumberedLines<Pop3Listing>(body, [](const QByteArray &value, Pop3Listing &entry) {
            bool ok = false;
            entry.size = value.split(' ').first().toLongLong(&ok);
            return ok;
        });
    if (!result)
        m_lastError = QStringLiteral("Unerwartete Antwort auf LIST.");
    return result;
}

std::optional<QList<Pop3UniqueId>> Pop3Client::uidl()
{
    QByteArray body;
    if (!perform(QString(), QStringLiteral("UIDL"), false, &body, nullptr))
        return std::nullopt;
    auto result =
        parseNumberedLines<Pop3UniqueId>(body, [](const QByteArray &value, Pop3UniqueId &entry) {
            entry.uid = QString::fromLatin1(value);
            return !entry.uid.isEmpty();
        });
    if (!result)
        m_lastError = QStringLiteral("Unerwartete Antwort auf UIDL.");
    return result;
}

std::optional<QByteArray> Pop3Client::top(int number, int lines)
{
    QByteArray body;
    if (!perform(QString(), QStringLiteral("TOP %1 %2").arg(number).arg(lines), false, &body,
                 nullptr))
        return std::nullopt;
    return body;
}

std::optional<QByteArray> Pop3Client::retr(int number)
{
    QByteArray body;
    if (!perform(QString::number(number), QString(), false, &body, nullptr))
        return std::nullopt;
    return body;
}

bool Pop3Client::dele(int number)
{
    QByteArray ignored;
    return perform(QString::number(number), QStringLiteral("DELE"), true, &ignored, nullptr);
}

bool Pop3Client::rset()
{
    QByteArray ignored;
    return perform(QString(), QStringLiteral("RSET"), true, &ignored, nullptr);
}

} // namespace vq::invoice

namespace vq::invoice {

bool Pop3Client::noop()
{
    QByteArray ignored;
    return perform(QString(), QStringLiteral("NOOP"), true, &ignored, nullptr);
}

} // namespace vq::invoice
