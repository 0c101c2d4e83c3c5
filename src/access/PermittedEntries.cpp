#include "access/PermittedEntries.h"

#include "access/AccessEvaluator.h"
#include "access/Candidates.h"
#include "services/AppContext.h"

namespace modMain {

QList<clsProgram> PermittedEntries(AppContext& ctx, const std::optional<QStringList>& userGroups) {
    CandidateSet candidates = CollectCandidates(ctx);
    AccessEvaluator evaluator(ctx, userGroups);
    QList<clsProgram> permitted;
    permitted.reserve(candidates.entries.size());
    for (qsizetype i = 0; i < candidates.entries.size(); ++i) {
        clsProgram& entry = candidates.entries[i];
        const QString& key = candidates.keys.at(i);
        const AccessEvaluator::Admission admission = evaluator.Admit(entry, key);
        if (!admission.allowed)
            continue;
        // A rule collected at start-up may name a program that has left the catalogue since
        // (its rules went with it); only an entry that no current rule names needs the look.
        if (admission.named || ctx.Catalog().GetProgramId(entry.ProgramName()) != 0)
            permitted.append(std::move(entry));
    }
    return permitted;
}

} // namespace modMain
