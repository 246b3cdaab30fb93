#include "config/ConfigStore.h"

#include "format/Logging.h"

#include "config/CommonData.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

// The base of a name for its duplicates: without its last word when that word starts with
// a positive number.
QString duplicateBase(const QString& name)
{
    QStringList words = name.split(QLatin1Char(' '));
    const QString& last = words.last();
    qsizetype digits = 0;
    while (digits < last.size() && last.at(digits).isDigit() && last.at(digits).unicode() < 128)
        ++digits;
    bool positive = false;
    for (qsizetype i = 0; i < digits; ++i)
        positive = positive || last.at(i) != QLatin1Char('0');
    if (!positive)
        return name;
    words.removeLast();
    return words.join(QLatin1Char(' '));
}

QString asidePathFor(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QFileInfo info(path);
    QString aside =
        info.path() +
        QStringLiteral("/%1-unreadable-%2.%3").arg(info.completeBaseName(), stamp, info.suffix());
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = info.path() + QStringLiteral("/%1-unreadable-%2-%3.%4")
                                  .arg(info.completeBaseName(), stamp)
                                  .arg(n)
                                  .arg(info.suffix());
    return aside;
}

} // namespace

QString ConfigStore::storePath()
{
    return CommonData::appSupportQ3VXDir() + QStringLiteral("/ServerConfigs.kzvr");
}

void ConfigStore::load()
{
    m_serverConfigDict.clear();
    m_movedAsidePath.clear();
    m_loadError.clear();
    const QString path = storePath();
    if (!QFileInfo::exists(path))
        return;
    Result<ConfigArchive::Store> store = ConfigArchive::read(path);
    if (store.ok()) {
        m_serverConfigDict = std::move(store.value);
        return;
    }
    m_loadError = store.error;
    const QString aside = asidePathFor(path);
    if (QFile::rename(path, aside))
        m_movedAsidePath = aside;
    qCWarning(lcConfig, "The configuration store %s could not be read (%s); %s", qPrintable(path),
              qPrintable(store.error),
              m_movedAsidePath.isEmpty() ? "it could not be moved aside either"
                                         : qPrintable(QStringLiteral("kept as ") + aside));
}

Result<void> ConfigStore::save() const
{
    return ConfigArchive::write(storePath(), m_serverConfigDict);
}

const ServerConfig* ConfigStore::find(const QString& name) const
{
    const auto it = m_serverConfigDict.constFind(name);
    return it == m_serverConfigDict.cend() ? nullptr : &*it;
}

ServerConfig* ConfigStore::find(const QString& name)
{
    const auto it = m_serverConfigDict.find(name);
    return it == m_serverConfigDict.end() ? nullptr : &*it;
}

void ConfigStore::insert(const ServerConfig& record)
{
    m_serverConfigDict.insert(record.configName(), record);
}

bool ConfigStore::remove(const QString& name)
{
    return m_serverConfigDict.remove(name) > 0;
}

QStringList ConfigStore::sortedKeysCaseInsensitive() const
{
    QStringList keys = m_serverConfigDict.keys();
    keys.sort(Qt::CaseInsensitive);
    return keys;
}

std::optional<QString> ConfigStore::duplicateNameFor(const QString& name) const
{
    const QString base = duplicateBase(name);
    for (int n = 2; n <= 99; ++n) {
        const QString candidate = base + QLatin1Char(' ') + QString::number(n);
        if (!contains(candidate))
            return candidate;
    }
    return std::nullopt;
}
