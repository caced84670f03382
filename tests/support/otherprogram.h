#pragma once

// Header only: the preset store's own tests link no support library.

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QVariantList>

// Another program on an SQLite file, with a plain connection of its own. The preset table's SQL
// is written out here, not taken from the console, so that a renamed table or column fails.
class OtherProgram
{
public:
    explicit OtherProgram(const QString &path)
        : m_name(QStringLiteral("other%1").arg(++s_count)),
          m_db(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name))
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        m_db.setDatabaseName(path);
        m_db.open();
    }
    ~OtherProgram()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    OtherProgram(const OtherProgram &) = delete;
    OtherProgram &operator=(const OtherProgram &) = delete;

    bool run(const QString &sql, const QVariantList &values = {})
    {
        return query(sql, values).isActive();
    }
    // Every row of the result, fields joined by '|'; empty when the statement fails.
    QStringList rows(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery result = query(sql, values);
        if (!result.isActive())
            qWarning() << sql << result.lastError().text();
        QStringList rows;
        while (result.next()) {
            QStringList fields;
            for (int i = 0; i < result.record().count(); ++i)
                fields << result.value(i).toString();
            rows << fields.join(u'|');
        }
        return rows;
    }

    // The preset table with the key and the first `labels` label columns, unless it is there.
    bool createTable(int labels = 9)
    {
        QString columns = QStringLiteral("探照灯 TEXT");
        for (int i = 1; i <= labels; ++i)
            columns += QStringLiteral(", A%1号 TEXT").arg(i);
        return run(QStringLiteral("CREATE TABLE IF NOT EXISTS 预置位信息 (%1)").arg(columns));
    }
    bool insert(const QString &key, const QVariantList &labels)
    {
        return run(QStringLiteral("INSERT INTO 预置位信息 VALUES (?,?,?,?,?,?,?,?,?,?)"),
                   QVariantList{key} + labels);
    }
    bool seed(const QString &key, const QStringList &labels)
    {
        return createTable() && insert(key, QVariantList(labels.begin(), labels.end()));
    }

    // The labels of the key's rows one after the other; empty when it has none.
    QStringList labels(const QString &key)
    {
        const QString sql = QStringLiteral("SELECT A1号, A2号, A3号, A4号, A5号, A6号, A7号, A8号, "
                                           "A9号 FROM 预置位信息 WHERE 探照灯 = ?");
        QStringList labels;
        for (const QString &row : rows(sql, {key}))
            labels += row.split(u'|');
        return labels;
    }

    // The whole preset table, every column through quote(), in rowid order.
    QStringList dump()
    {
        QStringList columns{QStringLiteral("rowid")};
        for (const QString &name :
             rows(QStringLiteral("SELECT name FROM pragma_table_info('预置位信息')")))
            columns << QStringLiteral("quote(\"%1\")").arg(name);
        return rows(
            QStringLiteral("SELECT %1 FROM 预置位信息 ORDER BY rowid").arg(columns.join(u',')));
    }

private:
    QSqlQuery query(const QString &sql, const QVariantList &values)
    {
        QSqlQuery query(m_db);
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        query.exec();
        return query;
    }

    static inline int s_count = 0;
    QString m_name;
    QSqlDatabase m_db;
};
