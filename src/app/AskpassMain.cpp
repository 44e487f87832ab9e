// marrowvale-askpass: the program ssh runs (SSH_ASKPASS) when a key needs its passphrase. It hands the
// request to "marrowvale --askpass" beside it, so answering ssh can never start the user interface.

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

int main(int argc, char** argv)
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return 1;
    const std::string program = (self.parent_path() / "marrowvale").string();

    std::vector<char*> arguments { const_cast<char*>(program.c_str()), const_cast<char*>("--askpass") };
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execv(program.c_str(), arguments.data());
    return 1;
}
