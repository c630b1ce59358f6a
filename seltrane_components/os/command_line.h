// CommandLine splits the program's arguments into named options and
// positional words: "-abc" sets the flags a, b and c, "--name=value" and
// "--name value" set a named value, "-x value" gives the flag x a value,
// "--" ends a pending option and every other word is positional.
//
// Built once from main's argc/argv; argv[0] (the program) is always skipped.
// Immutable after construction, so any thread may read it.
#ifndef SELTRANE_COMPONENTS_OS_COMMAND_LINE_H
#define SELTRANE_COMPONENTS_OS_COMMAND_LINE_H

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

class CommandLine
{
public:
    CommandLine(int argc, char** argv);

    // The word at index, or an empty string when out of range.
    QString positional(int index) const;
    int positionalCount() const { return m_positional.size(); }

    // Option name to value: a null QVariant for a flag without a value, a
    // QString otherwise.
    const QMap<QString, QVariant>& options() const { return m_options; }

private:
    QMap<QString, QVariant> m_options;
    QStringList m_positional;
};

#endif  // SELTRANE_COMPONENTS_OS_COMMAND_LINE_H
