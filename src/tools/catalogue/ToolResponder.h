#pragma once

#include "common/MessageService.h"

#include <QTextStream>

namespace kv::tools {

// The catalogue tool's messages: errors and warnings go to the error
// stream; notices are not shown. Questions take their default answer, or,
// with closeQuestions, are closed unanswered (Cancel, No), so that a
// question asking to retry never loops with nobody there.
class ToolResponder : public common::MessageResponder {
public:
    explicit ToolResponder(QTextStream& err, bool closeQuestions = false)
        : m_err(err)
        , m_closeQuestions(closeQuestions)
    {
    }
    common::MessageAnswer respond(const common::Message& message) override
    {
        if (message.kind == common::MessageKind::Error || message.kind == common::MessageKind::Warning)
            m_err << "kestrelview-catalogue: " << common::messageDisplayText(message.text) << "\n";
        return m_closeQuestions ? common::messageEscapeAnswer(message.buttons) : message.defaultAnswer;
    }

private:
    QTextStream& m_err;
    bool m_closeQuestions;
};

}  // namespace kv::tools
