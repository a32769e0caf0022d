#include "RequestCommand.h"

#include <iostream>

#include "Arguments.h"
#include "InspectServices.h"
#include "api/TarnwickException.h"
#include "app/ConfigurationManager.h"
#include "platform/Services.h"
#include "session/ApiManager.h"

namespace inspect {
namespace {

void PrintStatuses(const RecordingHttpsClient& client) {
    for (std::int32_t status : client.Statuses()) std::cout << "status " << status << '\n';
}

}  // namespace

int RunRequestCommand(const std::vector<std::string>& words) {
    const Arguments args(words, {"--api", "--ca", "--exe-path", "--locale"});
    const ApiEndpoint endpoint = ParseApiUrl(args.Get("--api"));
    auto client =
        std::make_shared<RecordingHttpsClient>(MakeApiClient(endpoint, args.GetOr("--ca", "")));

    platform::Services services;
    services.https = client;
    if (args.Has("--exe-path")) {
        services.system = std::make_shared<ModulePathSystem>(
            platform::GetSystem(), WideArgument(args.Get("--exe-path"), "--exe-path"));
    }
    platform::InstallServices(services);

    const std::shared_ptr<ConfigurationManager> settings = ConfigurationManager::Instance();
    UseApiEndpoint(*settings, endpoint);
    settings->localeCode = WideArgument(args.GetOr("--locale", ""), "--locale");
    // Nothing is downloaded here, so the run's temporary folder goes again at once.
    RemoveTemporaryFolder(*settings);

    std::cout << "request " << BuildConfigurationRequest(*settings).dump() << '\n';
    try {
        const nlohmann::json answer = ApiManager::Instance()->RequestConfiguration();
        PrintStatuses(*client);
        std::cout << "answer " << answer.dump(2) << '\n';
        return 0;
    } catch (const TarnwickException&) {
        PrintStatuses(*client);
        std::cerr << "tarnwick-inspect: the configuration request failed (no connection, "
                     "refused certificate or empty answer)\n";
    } catch (const nlohmann::json::exception& error) {
        PrintStatuses(*client);
        std::cerr << "tarnwick-inspect: the answer is not a JSON document: " << error.what()
                  << '\n';
    }
    return 1;
}

}  // namespace inspect
