#pragma once

#include <QString>
#include <QVariant>

// Per-user settings of both programs under the organisation "zuvo".
// Values the desktop build would keep machine-wide are kept per user too.
// Call from any thread; each call opens its own QSettings.
class AppSettings
{
public:
    // group is the key folder below the organisation, e.g. "Brevanta".
    explicit AppSettings(QString group = QString());

    QVariant Value(const QString& key, const QVariant& fallback = QVariant()) const;
    // Returns false when the value could not be stored.
    bool SetValue(const QString& key, const QVariant& value);
    void Remove(const QString& key);

private:
    QString m_group;
};
