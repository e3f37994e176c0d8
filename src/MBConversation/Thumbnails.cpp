// SPDX-License-Identifier: GPL-3.0-or-later
#include "MBConversation/Thumbnails.h"

#include <QCoreApplication>
#include <sys/resource.h>
#include <unistd.h>
#include <deque>
#include <mutex>

#include "Pages/MediaPicture.h"

namespace {
constexpr std::size_t MostQueued = 48;       // more than a few screens of pictures
constexpr qsizetype MostUnreadable = 4096;  // names remembered as unreadable
QString KeyOf(const QString& path, QSize box) {
    return QString::number(box.width()) + QLatin1Char('x') + QString::number(box.height()) + QLatin1Char(' ') + path;
}
}  // namespace

struct Thumbnails::Queue {
    struct Job {
        QString Key, Path;
        QSize Box;
    };
    std::mutex Lock;
    std::deque<Job> Jobs;
};

Thumbnails::Thumbnails(QObject* parent, qint64 budgetBytes)
    : QObject(parent), Kept(static_cast<qsizetype>(std::max<qint64>(1, budgetBytes / 1024))), Pending(std::make_shared<Queue>()) {
    Pool.setMaxThreadCount(1);  // the window keeps the other core
    Pool.setExpiryTimeout(5000);
}

Thumbnails::~Thumbnails() {
    {
        const std::lock_guard<std::mutex> hold(Pending->Lock);
        Pending->Jobs.clear();
    }
    Pool.waitForDone();  // a decode under way delivers to this object
}

Thumbnails::State Thumbnails::Find(const QString& path, QSize box, QImage& image) {
    const QString key = KeyOf(path, box);
    if (const QImage* kept = Kept.object(key)) {
        image = *kept;
        return State::Ready;
    }
    if (Unreadable.contains(key)) return State::Unreadable;
    if (Asked.contains(key)) return State::Waiting;
    Asked.insert(key);
    {
        const std::lock_guard<std::mutex> hold(Pending->Lock);
        Pending->Jobs.push_back({key, path, box});
        if (Pending->Jobs.size() > MostQueued) {
            // Scrolled past: asked for again if it comes back into sight.
            Asked.remove(Pending->Jobs.front().Key);
            Pending->Jobs.pop_front();
        }
    }
    Pool.start([this, queue = Pending] {
        // The decodes give way to the window's thread (Linux gives each thread its own nice value).
        static thread_local const bool yielding = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10) == 0;
        (void)yielding;
        Queue::Job job;
        {
            const std::lock_guard<std::mutex> hold(queue->Lock);
            if (queue->Jobs.empty()) return;  // another run took it, or it was given up
            job = std::move(queue->Jobs.back());  // the newest: the bubbles in sight now
            queue->Jobs.pop_back();
        }
        const QImage picture = ReadScaledPicture(job.Path, job.Box);
        QMetaObject::invokeMethod(this, [this, key = job.Key, picture] { Deliver(key, picture); }, Qt::QueuedConnection);
    });
    return State::Waiting;
}

void Thumbnails::Deliver(const QString& key, const QImage& image) {
    if (!Asked.remove(key)) return;  // given up meanwhile
    if (image.isNull()) {
        if (Unreadable.size() >= MostUnreadable) Unreadable.clear();
        Unreadable.insert(key);
    } else {
        Kept.insert(key, new QImage(image), static_cast<qsizetype>(image.sizeInBytes() / 1024 + 1));
    }
    emit Decoded();
}

qint64 Thumbnails::KeptBytes() const {
    qint64 bytes = 0;
    for (const QString& key : Kept.keys()) bytes += Kept.object(key)->sizeInBytes();
    return bytes;
}

void Thumbnails::WaitForDecodes() {
    Pool.waitForDone();  // every queued job has a run of its own
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
