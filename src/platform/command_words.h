#pragma once

#include <QString>
#include <QStringList>

namespace quel {

// A command line taken apart into the program to run and its arguments.
struct Command {
    QString program;
    QStringList arguments;
};

// Splits a command line into words the way Windows command lines are split, since the tables were
// written for that convention: blanks separate words; double quotes group blanks into a word and may
// stand inside one (a"b c"d is the word ab cd); "" inside quotes is one literal quote; backslashes
// are literal except before a quote, where 2n of them give n and the quote keeps its meaning, and
// 2n+1 give n and a literal quote. A table cannot store a double quote, so single quotes group words
// as well, as a shell's do: everything between two of them is taken as it stands ('date > f' is one
// word); a single quote without a partner, and one inside double quotes, is a plain character.
QStringList splitCommandLine(const QString& commandLine);

// A word as a command line holds it: in single quotes when it has blanks. A word holding a single
// quote stays as it is; the whole-path rule below still runs it when nothing follows it.
QString quoteCommandWord(const QString& word);

// The program and arguments of a command line: the whole text when it names an existing file (a
// path with blanks and no quotes), else the split words. No program when the text has no words.
Command parseCommandLine(const QString& commandLine);

}  // namespace quel
