// The diff command: two dumps compared by content.
#include "cli/TolvaneCli.h"

#include "dump/DumpComparison.h"
#include "dump/SystemDoc.h"

#include <ostream>

#include "cli/TolvaneCliArgs.h"

int TolvaneCli::Diff(Args& a) {
    if (a.words.size() != 2)
        return UsageError("diff takes two files");
    SystemDoc first;
    SystemDoc second;
    if (!Open(a.words[0], first) || !Open(a.words[1], second))
        return 2;
    const DumpComparison comparison(first, second);
    const bool brief = a.flags.count("--brief") != 0;
    for (const std::string& line : brief ? comparison.Keys() : comparison.Lines())
        m_out << line << '\n';
    return comparison.Same() ? 0 : 1;
}
