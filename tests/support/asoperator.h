#pragma once

// Header only: also for the tests that link no support library.

#include <QDirIterator>
#include <QFile>
#include <QStringList>

#include <grp.h>
#include <unistd.h>

#include <vector>

// Root may write anywhere, so a test about a permission that stops an operator acts as the user
// nobody while it checks, as an operator would meet it; the saved ids keep the way back to root.
// Run by an ordinary user, the test stays that user. The folders the test made as root are
// handed to nobody first, so that nobody works in them as their owner.
class AsOperator
{
public:
    static constexpr uid_t kNobody = 65534;
    static constexpr gid_t kNogroup = 65534;

    explicit AsOperator(const QStringList &handOver = {})
    {
        if (::geteuid() != 0)
            return;
        for (const QString &path : handOver)
            giveAway(path);
        m_groups.resize(std::size_t(::getgroups(0, nullptr)));
        if (::getgroups(int(m_groups.size()), m_groups.data()) < 0)
            m_groups.clear();
        const gid_t nogroup = kNogroup;
        m_switched = ::setgroups(1, &nogroup) == 0 && ::setresgid(kNogroup, kNogroup, 0) == 0 &&
                     ::setresuid(kNobody, kNobody, 0) == 0;
        if (!m_switched)
            back();
    }
    ~AsOperator()
    {
        if (m_switched)
            back();
    }
    AsOperator(const AsOperator &) = delete;
    AsOperator &operator=(const AsOperator &) = delete;

    // False when the test would still run as root.
    bool ok() const { return ::geteuid() != 0 && ::getuid() != 0; }

private:
    static void giveAway(const QString &path)
    {
        const auto give = [](const QString &p) {
            if (::lchown(QFile::encodeName(p).constData(), kNobody, kNogroup) != 0)
                qWarning("cannot hand %s to nobody", qPrintable(p));
        };
        give(path);
        QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            give(it.next());
    }
    void back()
    {
        if (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0 ||
            ::setgroups(m_groups.size(), m_groups.data()) != 0)
            qFatal("cannot return to root");
    }

    std::vector<gid_t> m_groups;
    bool m_switched = false;
};
