#include "platform/AppSettings.h"

#include <QSettings>

#include <memory>

namespace {
std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("zuvo"), QStringLiteral("zuvo"));
}

QString FullKey(const QString& group, const QString& key)
{
    return group.isEmpty() ? key : group + u'/' + key;
}
} // namespace

AppSettings::AppSettings(QString group) : m_group(std::move(group)) {}

QVariant AppSettings::Value(const QString& key, const QVariant& fallback) const
{
    return OpenSettings()->value(FullKey(m_group, key), fallback);
}

bool AppSettings::SetValue(const QString& key, const QVariant& value)
{
    auto settings = OpenSettings();
    settings->setValue(FullKey(m_group, key), value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

void AppSettings::Remove(const QString& key)
{
    OpenSettings()->remove(FullKey(m_group, key));
}
