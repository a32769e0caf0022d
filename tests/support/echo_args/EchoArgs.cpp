// A program for the launch tests. It writes the arguments it received, its own name first, as a
// JSON array of strings to the file named like itself with ".json" appended, then exits with the
// number held in the file named like itself with ".exitcode" appended (0 when there is none).
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

int main(int argc, char** argv) {
    if (argc < 1) return 1;
    const std::string self = argv[0];
    nlohmann::json arguments = nlohmann::json::array();
    for (int i = 0; i < argc; ++i) arguments.push_back(argv[i]);
    std::ofstream(self + ".json") << arguments.dump(-1, ' ', false,
                                                    nlohmann::json::error_handler_t::replace);
    int exitCode = 0;
    std::ifstream(self + ".exitcode") >> exitCode;
    return exitCode;
}
