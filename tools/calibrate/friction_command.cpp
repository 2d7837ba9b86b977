#include "friction_command.h"

#include <iostream>
#include <stdexcept>

#include "files/batch.h"
#include "files/headless_evaluation.h"
#include "performance/details_csv.h"
#include "performance/friction_fit.h"
#include "settings/disk_table_settings.h"
#include "text/decimal_text.h"

namespace corvane::calibrate {

namespace {

constexpr int kExitFailed = 1;

std::string Fixed(double value, int decimals) { return text::FixedText(value, decimals, ".", ""); }

// The fit of one coast-down; throws the reason there is none.
performance::FrictionFit FrictionOf(files::HeadlessEvaluation& evaluation,
                                    const std::string& path) {
    (void)evaluation.Evaluate(path);
    const performance::PerformanceResult result = performance::AnalysePerformance(
        evaluation.record(), evaluation.disks(), text::PointComma());
    if (result.isDyna && result.status != performance::Status::Evaluated) {
        throw std::runtime_error(std::string(performance::StatusText(result.status)));
    }
    const performance::FrictionFitResult fit = performance::FitFriction(result);
    if (!fit.fit) throw std::runtime_error(std::string(FrictionFitStatusText(fit.status)));
    return *fit.fit;
}

// The fields after the file name, or empty ones with the reason on standard error.
std::string FrictionFields(files::HeadlessEvaluation& evaluation, const std::string& path,
                           int& status) {
    try {
        const performance::FrictionFit f = FrictionOf(evaluation, path);
        return Fixed(f.model.aMilliNm, 4) + ',' + Fixed(f.model.bMilliNmPerKrpm, 4) + ',' +
               Fixed(f.rpmFrom, 1) + ',' + Fixed(f.rpmTo, 1) + ',' + Fixed(f.model.aUMilliNm, 4) +
               ',' + Fixed(f.model.bUMilliNmPerKrpm, 4);
    } catch (const std::exception& error) {
        std::cerr << files::PrintableName(path) << ": " << error.what() << '\n';
    }
    status = kExitFailed;
    return ",,,,,";
}

}  // namespace

int CalibrateFriction(const std::vector<std::string>& captures) {
    files::HeadlessEvaluation evaluation{analysis::DiskTable(settings::kDiskTableRows)};
    std::cout << kFrictionHeader << "\r\n";
    int status = 0;
    for (const std::string& path : captures) {
        const std::string fields = FrictionFields(evaluation, path, status);
        std::cout << performance::CsvField(files::PrintableName(files::FileNameOf(path))) << ','
                  << fields << "\r\n";
    }
    return status;
}

}  // namespace corvane::calibrate
