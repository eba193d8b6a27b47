#pragma once

// How the engine's requests travel through the desktop program's windows.
//
// A UiRequestEvent carries one UiRequest to one receiving QObject. Its type is
// QEvent::User plus the message number, so a receiver tells the messages apart by type.
// The event owes the request a number of completions (one per receiver it stands for):
// the handler pays them with complete(), a relay hands them on with relayTo(), and an
// event that Qt drops unhandled (its receiver destroyed first) pays them in its
// destructor, so a waiting worker never waits for ever.
//
// Header-only on purpose: the browse and viewer libraries use it without linking the
// shell, which links them.

#include "engine/request/RequestSink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace vantrel {

class UiRequestEvent : public QEvent {
public:
    static constexpr int kFirstType = QEvent::User;

    static QEvent::Type TypeFor(msg::MessageId message) {
        return static_cast<QEvent::Type>(kFirstType + static_cast<int>(message));
    }
    // The request event of `message`, or null for any other event.
    static UiRequestEvent* Cast(QEvent* event, msg::MessageId message) {
        return event && event->type() == TypeFor(message) ? static_cast<UiRequestEvent*>(event)
                                                          : nullptr;
    }
    // Any request event: its type lies in the private message range.
    static UiRequestEvent* Cast(QEvent* event) {
        if (!event)
            return nullptr;
        const int number = static_cast<int>(event->type()) - kFirstType;
        if (number < static_cast<int>(msg::kUserBase) || number > 0x7FFF)
            return nullptr;
        return dynamic_cast<UiRequestEvent*>(event);
    }

    // owed: how many receivers this event stands for (the sink's event stands for every
    // receiver of the request; a relayed copy for one).
    explicit UiRequestEvent(UiRequest* request, int owed = 1)
        : QEvent(TypeFor(request->Message())), request_(request), message_(request->Message()),
          owed_(owed < 1 ? 1 : owed) {}
    ~UiRequestEvent() override { payOwed(); }
    UiRequestEvent(const UiRequestEvent&) = delete;
    UiRequestEvent& operator=(const UiRequestEvent&) = delete;

    msg::MessageId message() const { return message_; }
    // Null once completed or relayed.
    UiRequest* request() const { return request_; }
    int owed() const { return owed_; }

    // Payload, read under the request's payload lock (a log line is read by three lists).
    std::uint64_t value() const {
        return read([](UiRequest& r) { return r.value; });
    }
    void* pointer() const {
        return read([](UiRequest& r) { return r.pointer; });
    }
    template <typename T>
    T* pointerAs() const {
        return static_cast<T*>(pointer());
    }
    QString text() const {
        return read([](UiRequest& r) { return QString::fromStdU16String(r.text); });
    }
    QStringList strings() const {
        return read([](UiRequest& r) {
            QStringList list;
            for (const auto& s : r.strings)
                list.append(QString::fromStdU16String(s));
            return list;
        });
    }
    std::vector<std::int64_t> integers() const {
        return read([](UiRequest& r) { return r.integers; });
    }
    // A dialog's answer, stored before complete().
    void setAnswer(int answer) {
        if (!request_)
            return;
        std::lock_guard lock(request_->PayloadLock());
        request_->SetAnswer(answer);
    }
    bool senderWaits() const { return request_ && request_->SenderWaits(); }

    // This receiver is done: pays every completion the event owes. The request may be
    // deleted by this call.
    void complete() { payOwed(); }

    // Hands the event's completions on, one to each receiver (the frame spreading a log
    // line over the three log lists): each gets a copy owing one. A null receiver, or
    // one beyond what the event owes, gets nothing; completions left over are paid here.
    void relayTo(std::initializer_list<QObject*> receivers) {
        UiRequest* request = request_;
        int owed = owed_;
        request_ = nullptr;
        owed_ = 0;
        if (!request)
            return;
        for (QObject* receiver : receivers) {
            if (receiver && owed > 0) {
                QCoreApplication::postEvent(receiver, new UiRequestEvent(request, 1));
                --owed;
            }
        }
        for (; owed > 0; --owed)
            if (UiRequest::Complete(request))
                return;
    }
    // Hands the whole event on to one receiver (the tree relaying to the frame).
    void relayTo(QObject* receiver) {
        const int owed = owed_;
        if (!request_)
            return;
        UiRequest* request = request_;
        request_ = nullptr;
        owed_ = 0;
        if (receiver) {
            QCoreApplication::postEvent(receiver, new UiRequestEvent(request, owed));
            return;
        }
        for (int i = 0; i < owed; ++i)
            if (UiRequest::Complete(request))
                return;
    }

private:
    template <typename F>
    auto read(F f) const -> decltype(f(std::declval<UiRequest&>())) {
        using Result = decltype(f(std::declval<UiRequest&>()));
        if (!request_)
            return Result{};
        std::lock_guard lock(request_->PayloadLock());
        return f(*request_);
    }

    void payOwed() {
        UiRequest* request = request_;
        const int owed = owed_;
        request_ = nullptr;
        owed_ = 0;
        for (int i = 0; i < owed && request; ++i)
            if (UiRequest::Complete(request))
                return; // deleted
    }

    UiRequest* request_;
    msg::MessageId message_;
    int owed_;
};

// Posts a request created on this (the user-interface) thread to a receiver, not waited
// for: the receiver's completion deletes it. A null receiver deletes it at once. A low
// priority puts it behind every event of normal priority, those posted later included.
inline void PostUiRequest(QObject* receiver, std::unique_ptr<UiRequest> request,
                          int priority = Qt::NormalEventPriority) {
    if (!request)
        return;
    request->SetSenderWaits(false);
    UiRequest* raw = request.release();
    {
        std::lock_guard posting(raw->PostingLock());
        raw->ArmPendingCount();
    }
    if (receiver)
        QCoreApplication::postEvent(receiver, new UiRequestEvent(raw, raw->InitialCount()),
                                    priority);
    else
        UiRequest::CompleteAll(raw);
}

// Shorthand for the frame's own requests: message and value, no payload besides.
inline void PostUiRequest(QObject* receiver, msg::MessageId message, std::uint64_t value = 0,
                          void* pointer = nullptr) {
    auto request = std::make_unique<UiRequest>(receiver, message);
    request->value = value;
    request->pointer = pointer;
    PostUiRequest(receiver, std::move(request));
}

// The desktop program's request sink: each request becomes a UiRequestEvent posted to
// the receiver (the folder tree's object). Post may be called from any thread; once the
// receiver is destroyed (or detach() was called) it refuses, and the sender keeps the
// request.
class QtRequestSink : public RequestSink {
public:
    explicit QtRequestSink(QObject* receiver) : state_(std::make_shared<State>()) {
        state_->receiver = receiver;
        if (receiver) {
            std::weak_ptr<State> weak = state_;
            // Direct: runs in ~QObject before its posted events are dropped, under the
            // same lock Post holds, so no event is posted to a dying object.
            state_->connection = QObject::connect(
                receiver, &QObject::destroyed, receiver,
                [weak] {
                    if (auto state = weak.lock()) {
                        std::lock_guard lock(state->lock);
                        state->receiver = nullptr;
                    }
                },
                Qt::DirectConnection);
        }
    }
    ~QtRequestSink() override {
        detach();
        QObject::disconnect(state_->connection);
    }
    QtRequestSink(const QtRequestSink&) = delete;
    QtRequestSink& operator=(const QtRequestSink&) = delete;

    bool Post(UiRequest* request) override {
        if (!request)
            return false;
        std::lock_guard lock(state_->lock);
        if (!state_->receiver)
            return false;
        QCoreApplication::postEvent(state_->receiver,
                                    new UiRequestEvent(request, request->InitialCount()));
        return true;
    }

    // Refuses every later post (the receiver is going away).
    void detach() {
        std::lock_guard lock(state_->lock);
        state_->receiver = nullptr;
    }
    bool attached() const {
        std::lock_guard lock(state_->lock);
        return state_->receiver != nullptr;
    }

private:
    struct State {
        mutable std::mutex lock;
        QObject* receiver = nullptr;
        QMetaObject::Connection connection;
    };
    std::shared_ptr<State> state_;
};

} // namespace vantrel
