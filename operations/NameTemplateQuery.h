#pragma once

#include "platform/Prompter.h"
#include "replay/ReplayInfo.h"

#include <QString>

#include <optional>

// A replay whose name the template editor shows while the template is typed.
struct NameSample {
    ReplayInfo replay{};
    int slot = -1; // -1 for a storage file
    QString fileName;
};

// The template editor's question (TNameTemplateForm): the template now (in
// either spelling) and a sample; the answer is the new template as the
// settings file keeps it, or nothing when cancelled.
struct NameTemplateQuery : DialogQuery {
    NameTemplateQuery(QString t, std::optional<NameSample> s) : templateText(std::move(t)), sample(std::move(s)) {}
    QString templateText;
    std::optional<NameSample> sample;
    std::optional<QString> answer;
};
