// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Verb.h"

#include "cli/CliContext.h"
#include "device/ExceptionText.h"

namespace telvar::cli {

// One function per verb, each in its own file under verbs/.
Verb codesVerb();
Verb mnemonicsVerb();
Verb devicesVerb();
Verb rawVerb();
Verb askVerb();
Verb logVerb();
Verb sessionsVerb();
Verb vocabVerb();
Verb uploadVerb();
Verb sayVerb();
Verb wordsVerb();
Verb sendToUnitVerb();
Verb modeVerb();
Verb modesVerb();
Verb expandVerb();
Verb renderVerb();
Verb speakVerb();
Verb editVerb();
Verb settingsVerb();
Verb sensitivityVerb();
Verb voiceVerb();
Verb rateVerb();
Verb autotuneVerb();
Verb powerSaveVerb();
Verb ampVerb();
Verb firmwareVerb();
Verb aboutVerb();
Verb factoryDefaultsVerb();
Verb bootloaderVerb();
Verb suggestVerb();

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> all{
        codesVerb(),    mnemonicsVerb(), devicesVerb(),         rawVerb(),
        askVerb(),      logVerb(),       sessionsVerb(),        vocabVerb(),
        uploadVerb(),   sayVerb(),       wordsVerb(),           sendToUnitVerb(),
        modeVerb(),     modesVerb(),     expandVerb(),          speakVerb(),
        editVerb(),     settingsVerb(),  sensitivityVerb(),     voiceVerb(),
        rateVerb(),     autotuneVerb(),  powerSaveVerb(),       ampVerb(),
        firmwareVerb(), aboutVerb(),     factoryDefaultsVerb(), bootloaderVerb(),
        suggestVerb(),  renderVerb(),
    };
    return all;
}

QCoro::Task<int> runGuarded(const Verb& verb, CliContext& context, QStringList arguments) {
    std::exception_ptr error;
    try {
        co_return co_await verb.run(context, std::move(arguments));
    } catch (...) {
        error = std::current_exception();
    }
    co_return context.fail(QStringLiteral("%1: %2").arg(verb.name, exceptionText(error)));
}

} // namespace telvar::cli
