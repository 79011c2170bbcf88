#pragma once
// Keeps the journal of a document's unsaved edits up to date on a thread of its own: after every
// undoable step, undo or redo that leaves the model unsaved, the announcing thread only copies
// the vertices that changed since the last step and hands them over; the writer's thread merges
// them into its copy of every changed vertex and writes the whole journal. Once the model is as
// saved again (saved, opened, closed, or undone back to it) the journal is removed.

#include "model/editing/history/document.h"
#include "model/editing/history/journal.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace vw {

// Where a journal goes; every call comes from the writer's thread.
class JournalStore {
public:
    virtual ~JournalStore() = default;
    // The model file as it is now (path empty: no model); the reason when it cannot be read.
    virtual Result identify(const std::string& modelPath, JournalModel& model) = 0;
    // Replaces the journal with these bytes.
    virtual void write(std::span<const uint8_t> journal) = 0;
    virtual void remove() = 0;
};

class JournalWriter {
public:
    // pid is written into the journal, so the next start can tell whether its editor still runs.
    // The journal is first removed when the document's model is opened (or is open already).
    JournalWriter(Document& document, JournalStore& store, int64_t pid);
    // Writes what was handed over and keeps the journal: an editor ended with unsaved edits
    // (by a signal, say) leaves them to be recovered.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // The user set the unsaved edits aside: the journal is removed.
    void discard();
    // Returns once everything handed over so far is written.
    void waitUntilWritten();

private:
    struct Values {
        int32_t part = 0;
        int32_t seg = 0;
        uint32_t vertexCount = 0;
        uint32_t first = 0;
        std::vector<Vertex> verts;
    };
    // One hand-over: a fresh start (the model as saved, identified again unless discarding),
    // or changed values.
    struct Job {
        enum Kind { kRestart, kDiscard, kValues } kind = kValues;
        std::string modelPath;
        std::vector<Values> values;
        int64_t writtenNs = 0;
    };
    // The writer's copy of one segment: every value written so far, and which ones the unsaved
    // edits touched.
    struct Shadow {
        std::vector<Vertex> verts;
        std::vector<bool> touched;
    };

    void changed(const DocumentChange& change);
    void noteRanges(const std::vector<VertexRange>& ranges);
    void handOver(Job job);
    void handOverValues();
    void run();
    void perform(Job& job);
    void merge(Values& values);
    // A buffer for a copy of changed values: one the writer finished with, whose pages are
    // already the process's, or a new one.
    std::vector<Vertex> spareBuffer();
    void keepSpare(std::vector<Vertex>&& buffer);
    Journal journal() const;

    Document& m_document;
    JournalStore& m_store;
    int64_t m_pid;
    Subscription m_subscription;
    // The announcing thread's: the span of vertices changed per segment since the last step.
    std::map<SegmentRef, VertexRange> m_pending;
    bool m_wasClean = true;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    std::vector<std::vector<Vertex>> m_spares;
    size_t m_spareBytes = 0;
    bool m_busy = false;
    bool m_stop = false;

    // The writer thread's.
    JournalModel m_model;
    std::map<SegmentRef, Shadow> m_shadows;
    int64_t m_writtenNs = 0;
    std::thread m_thread;
};

} // namespace vw
