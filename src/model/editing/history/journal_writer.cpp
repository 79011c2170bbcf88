#include "model/editing/history/journal_writer.h"

#include <algorithm>
#include <chrono>

namespace vw {

JournalWriter::JournalWriter(Document& document, JournalStore& store, int64_t pid)
    : m_document(document), m_store(store), m_pid(pid) {
    m_thread = std::thread([this] { run(); });
    m_wasClean = m_document.isClean();
    m_subscription =
        m_document.subscribe([this](const DocumentChange& change) { changed(change); });
    // Nothing is removed before a model opens: a journal under this name that an earlier editor
    // of the same process id left may still be offered for recovery.
    if (m_document.hasModel())
        handOver(Job{Job::kRestart, m_document.model().modelPath, {}, 0});
}

JournalWriter::~JournalWriter() {
    m_subscription.reset();
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void JournalWriter::discard() {
    m_pending.clear();
    handOver(Job{Job::kDiscard, {}, {}, 0});
}

void JournalWriter::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void JournalWriter::changed(const DocumentChange& change) {
    if (change.model) {
        m_pending.clear();
        m_wasClean = true;
        handOver(Job{Job::kRestart, m_document.model().modelPath, {}, 0});
        return;
    }
    noteRanges(change.vertices);
    if (!change.history)
        return;
    if (!m_document.isClean()) {
        m_wasClean = false;
        handOverValues();
        return;
    }
    m_pending.clear();
    if (!m_wasClean)
        handOver(Job{Job::kRestart, m_document.model().modelPath, {}, 0});
    m_wasClean = true;
}

void JournalWriter::noteRanges(const std::vector<VertexRange>& ranges) {
    for (const VertexRange& range : ranges) {
        const auto [at, added] = m_pending.try_emplace(SegmentRef{range.part, range.seg}, range);
        if (added)
            continue;
        at->second.first = std::min(at->second.first, range.first);
        at->second.end = std::max(at->second.end, range.end);
    }
}

// The one cost on the announcing thread: a copy of the vertices that changed.
void JournalWriter::handOverValues() {
    Job job{Job::kValues, {}, {}, 0};
    job.writtenNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    const std::vector<Part>& parts = m_document.model().Parts;
    for (const auto& [ref, range] : m_pending) {
        if (size_t(ref.part) >= parts.size() ||
            size_t(ref.seg) >= parts[size_t(ref.part)].segments.size())
            continue;
        const std::vector<Vertex>& verts = parts[size_t(ref.part)].segments[size_t(ref.seg)].verts;
        const uint32_t end = std::min<uint32_t>(range.end, uint32_t(verts.size()));
        if (range.first >= end)
            continue;
        std::vector<Vertex> copy = spareBuffer();
        copy.assign(verts.begin() + range.first, verts.begin() + end);
        job.values.push_back(
            {ref.part, ref.seg, uint32_t(verts.size()), range.first, std::move(copy)});
    }
    m_pending.clear();
    handOver(std::move(job));
}

std::vector<Vertex> JournalWriter::spareBuffer() {
    const std::lock_guard lock(m_mutex);
    if (m_spares.empty())
        return {};
    std::vector<Vertex> buffer = std::move(m_spares.back());
    m_spares.pop_back();
    m_spareBytes -= buffer.capacity() * sizeof(Vertex);
    return buffer;
}

// Called with the mutex held. A fresh buffer of a big copy costs a page fault per page on the
// editing thread, more than the copy itself; a few spares, within a bound, spare it that.
void JournalWriter::keepSpare(std::vector<Vertex>&& buffer) {
    constexpr size_t kMostSpareBytes = size_t(64) << 20;
    const size_t bytes = buffer.capacity() * sizeof(Vertex);
    if (bytes == 0 || m_spareBytes + bytes > kMostSpareBytes)
        return;
    m_spareBytes += bytes;
    m_spares.push_back(std::move(buffer));
}

void JournalWriter::handOver(Job job) {
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

// Takes every job waiting at once, so a quick run of steps costs one write.
void JournalWriter::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;
        std::deque<Job> jobs = std::move(m_jobs);
        m_jobs.clear();
        m_busy = true;
        lock.unlock();
        bool unwritten = false;
        for (Job& job : jobs) {
            perform(job);
            unwritten = job.kind == Job::kValues;
        }
        if (unwritten)
            m_store.write(encodeJournal(journal()));
        lock.lock();
        for (Job& job : jobs)
            for (Values& values : job.values)
                keepSpare(std::move(values.verts));
        m_busy = false;
        m_idle.notify_all();
    }
}

void JournalWriter::perform(Job& job) {
    if (job.kind == Job::kValues) {
        for (Values& values : job.values)
            merge(values);
        m_writtenNs = job.writtenNs;
        return;
    }
    m_shadows.clear();
    m_store.remove();
    if (job.kind == Job::kDiscard)
        return;
    m_model = JournalModel{job.modelPath, 0, 0, 0};
    // A file that cannot be read leaves a journal no start will apply, which is as it should be.
    if (!job.modelPath.empty())
        (void)m_store.identify(job.modelPath, m_model);
}

void JournalWriter::merge(Values& values) {
    Shadow& shadow = m_shadows[SegmentRef{values.part, values.seg}];
    if (shadow.verts.size() != values.vertexCount) {
        shadow.verts.assign(values.vertexCount, Vertex{});
        shadow.touched.assign(values.vertexCount, false);
    }
    std::copy(values.verts.begin(), values.verts.end(), shadow.verts.begin() + values.first);
    std::fill_n(shadow.touched.begin() + values.first, values.verts.size(), true);
}

Journal JournalWriter::journal() const {
    Journal journal{m_pid, m_writtenNs, m_model, {}};
    for (const auto& [ref, shadow] : m_shadows) {
        JournalSegment segment{ref.part, ref.seg, uint32_t(shadow.verts.size()), {}};
        for (uint32_t i = 0; i < shadow.verts.size();) {
            if (!shadow.touched[i]) {
                ++i;
                continue;
            }
            JournalRun run{i, {}};
            for (; i < shadow.verts.size() && shadow.touched[i]; ++i)
                run.verts.push_back(shadow.verts[i]);
            segment.runs.push_back(std::move(run));
        }
        journal.segments.push_back(std::move(segment));
    }
    return journal;
}

} // namespace vw
