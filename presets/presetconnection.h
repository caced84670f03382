#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

// One short-lived connection to the preset file, made for a single load or save and gone with
// it, so that the console holds nothing on the file between operations. Queries made from it
// must be destroyed before it is.
class PresetConnection
{
public:
    enum class Access { ReadOnly, ReadWrite };

    PresetConnection(const QString &filePath, Access access);
    ~PresetConnection();
    PresetConnection(const PresetConnection &) = delete;
    PresetConnection &operator=(const PresetConnection &) = delete;

    bool isOpen() const { return m_database.isOpen(); }
    QSqlError openError() const { return m_database.lastError(); }
    QSqlQuery query() const { return QSqlQuery(m_database); }

private:
    QString m_name;
    QSqlDatabase m_database;
};
