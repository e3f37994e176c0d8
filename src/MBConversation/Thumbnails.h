// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pictures of the conversation's bubbles, scaled to their boxes. Painting only asks:
// a picture not yet at hand is queued for decoding on a helper thread and Decoded is sent
// when it is ready, so that a frame never waits for a decode. The newest requests are
// decoded first, and old ones are given up when the queue is long (the bubbles scrolled
// past). The scaled pictures are kept within a budget of bytes, the least recently used
// going first, so that thousands of pictures cost no more memory than a few screens.
#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>
#include <memory>

class Thumbnails : public QObject {
    Q_OBJECT

public:
    enum class State { Waiting, Ready, Unreadable };
    static constexpr qint64 DefaultBudget = 32 * 1024 * 1024;

    explicit Thumbnails(QObject* parent = nullptr, qint64 budgetBytes = DefaultBudget);
    ~Thumbnails() override;  // waits for the decode under way

    // The picture in `path` scaled to fit `box`: Ready with `image` set, Unreadable, or
    // Waiting (its decode is queued, and Decoded follows).
    State Find(const QString& path, QSize box, QImage& image);
    // The bytes of the pictures kept.
    qint64 KeptBytes() const;
    // Waits until every queued decode has been delivered (for the tests and benchmarks).
    void WaitForDecodes();

signals:
    void Decoded();

private:
    struct Queue;
    void Deliver(const QString& key, const QImage& image);

    QCache<QString, QImage> Kept;  // cost in KiB
    QSet<QString> Unreadable, Asked;  // Asked: queued or being decoded
    std::shared_ptr<Queue> Pending;
    QThreadPool Pool;
};
