#pragma once

#include "platform/Prompter.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What the name and comment dialog (TReplayInfoExInputForm) is given: the
// file name shown and the stored bytes of both fields up to their first NUL.
struct ReplayTextRequest {
    QString fileName;
    QByteArray playerName;
    QByteArray comment;
};

// The bytes to store, at most 30 and 1024, without padding. A text the user
// left unchanged comes back with its original bytes.
struct ReplayTextAnswer {
    QByteArray playerName;
    QByteArray comment;
};

// The name and comment dialog's question: the bytes to store, or nothing
// when cancelled.
struct ReplayTextQuery : DialogQuery {
    explicit ReplayTextQuery(ReplayTextRequest r) : request(std::move(r)) {}
    ReplayTextRequest request;
    std::optional<ReplayTextAnswer> answer;
};
