#include "presets/presetservice.h"

#include <QMetaObject>

PresetService::PresetService(PresetStore store, QObject *parent)
    : QObject(parent), m_store(std::move(store))
{
}

PresetService::~PresetService()
{
    // The work already asked for runs first, so that a save the operator made just before
    // leaving still reaches the file. The answers it posts here go with this object.
    m_work.stop();
}

template <typename Result>
void PresetService::post(std::function<Result()> work, std::function<void(const Result &)> done)
{
    ++m_pending;
    // The store is a value with nothing but its paths, and every load and save makes its own
    // connection, so its work may run on the other thread. The answer is posted to this object:
    // should it be gone by then, the answer goes with it.
    m_work.post([this, work = std::move(work), done = std::move(done)] {
        const Result result = work();
        QMetaObject::invokeMethod(
            this,
            [this, done, result] {
                --m_pending;
                if (done)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

void PresetService::load(const QString &searchlight, Loaded done)
{
    post<PresetLoad>([store = m_store, searchlight] { return store.load(searchlight); },
                     std::move(done));
}

void PresetService::save(const QString &searchlight, const PresetLabels &labels, Saved done)
{
    post<PresetSave>(
        [store = m_store, searchlight, labels] { return store.save(searchlight, labels); },
        std::move(done));
}
