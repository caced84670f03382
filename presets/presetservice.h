#pragma once

#include "files/workthread.h"
#include "presets/presetstore.h"

#include <QObject>

#include <functional>

// The preset store's work on a thread of its own, so that a file another program holds locked
// (the store waits up to 2 s for it) or a slow disk never stalls the window thread: the clock, the
// timetable and the jog go on meanwhile. Loads and saves run one at a time in the order they were
// asked for, so a save never overtakes the load before it. Each result comes back on the window
// thread, through the callback given with the request.
class PresetService : public QObject
{
    Q_OBJECT
public:
    using Loaded = std::function<void(const PresetLoad &)>;
    using Saved = std::function<void(const PresetSave &)>;

    explicit PresetService(PresetStore store, QObject *parent = nullptr);
    // Finishes every load and save already asked for and ends the store's thread; their callbacks
    // no longer run.
    ~PresetService() override;

    const PresetStore &store() const { return m_store; }

    void load(const QString &searchlight, Loaded done);
    void save(const QString &searchlight, const PresetLabels &labels, Saved done);
    // Requests asked for whose result has not come back yet.
    int pending() const { return m_pending; }

private:
    // Runs work on the store's thread and then done(result) back here.
    template <typename Result>
    void post(std::function<Result()> work, std::function<void(const Result &)> done);

    const PresetStore m_store;
    int m_pending = 0;
    WorkThread m_work{"corvane-presets"};
};
