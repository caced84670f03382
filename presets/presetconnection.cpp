#include "presets/presetconnection.h"

#include <atomic>

namespace {

// Another console or tool may hold the file for a moment; wait that long before giving up.
const QString kBusyTimeout = QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000");

QString uniqueName()
{
    static std::atomic<quint64> counter{0};
    return QStringLiteral("corvane-presets-%1").arg(++counter);
}

} // namespace

PresetConnection::PresetConnection(const QString &filePath, Access access)
    : m_name(uniqueName()), m_database(QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name))
{
    m_database.setDatabaseName(filePath);
    // Reading never creates the file nor takes a write lock.
    m_database.setConnectOptions(access == Access::ReadOnly
                                     ? QStringLiteral("QSQLITE_OPEN_READONLY;") + kBusyTimeout
                                     : kBusyTimeout);
    m_database.open();
}

PresetConnection::~PresetConnection()
{
    m_database.close();
    // Qt only lets go of a connection once no handle to it is left.
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}
