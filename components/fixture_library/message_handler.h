// Where the fixture library's readers send their load errors: each error is
// one text, "<file>: Line N: <what is wrong>" for a line of a file, or
// "<file>: <what is wrong>" for the whole file. MessageHandler is the sink;
// ConcatenatingMessageHandler keeps the texts in order for the caller.
//
// A handler belongs to the caller and is used by one thread at a time.
#ifndef FIXTURE_LIBRARY_MESSAGE_HANDLER_H
#define FIXTURE_LIBRARY_MESSAGE_HANDLER_H

#include <QString>
#include <QStringList>

class MessageHandler
{
public:
    virtual ~MessageHandler() = default;
    virtual void addMessage(const QString& text) = 0;
};

class ConcatenatingMessageHandler : public MessageHandler
{
public:
    void addMessage(const QString& text) override { m_messages << text; }
    const QStringList& messages() const { return m_messages; }

private:
    QStringList m_messages;
};

#endif  // FIXTURE_LIBRARY_MESSAGE_HANDLER_H
