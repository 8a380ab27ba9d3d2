// kslog: the log engine of the viewer on the command line, for servers without a display,
// for shipping logs to central stores and for fetching a server's log over the network. Exit
// status as grep: 0 when something was printed or matched, 1 when nothing matched, 2 on errors.

#include "KsLogArguments.h"
#include "KsLogCommands.h"
#include "KsLogFetch.h"
#include "KsLogOutput.h"
#include "KsLogSource.h"

#include "FBLogFile.h"
#include "FBRemoteError.h"
#include "VersionValues.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <vector>

namespace {

constexpr int kExitError = 2;

struct TFilterArguments {
    std::string Since, Until, Severity, Encoding;
    bool MatchCase = false;
    bool IgnoreCase = false;
};

double DateArgument(const std::string& text, bool endOfRange, const char* option)
{
    const std::optional<double> value = ParseDateTimeArgument(text, endOfRange);
    if (!value)
        throw EKsLogUsageError{std::string(option) + " \"" + text +
                               "\" is not a date: write YYYY-MM-DD, YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS."};
    return *value;
}

void AddFileArgument(CLI::App& command, TKsLogSettings& settings)
{
    command.add_option("FILE", settings.File, "The log to read; - reads standard input")->required();
    command.add_option("--catalogue", settings.Catalogue, "The description catalogue to classify with");
}

void AddRangeOptions(CLI::App& command, TFilterArguments& arguments)
{
    command.add_option("--since", arguments.Since, "Entries written at or after DATE[THH:MM[:SS]]");
    command.add_option("--until", arguments.Until, "Entries written at or before DATE[THH:MM[:SS]] (a date alone: its whole day)");
}

void AddFilterOptions(CLI::App& command, TKsLogSettings& settings, TFilterArguments& arguments)
{
    AddRangeOptions(command, arguments);
    command.add_option("--severity", arguments.Severity, "Entries of this severity or a more serious one: critical, error, warning, info, unknown");
    command.add_option("--kind", settings.Filter.Kinds, "Entries of kinds whose match text or title holds TEXT (repeatable)");
    command.add_option("--grep", settings.Filter.Grep, "Entries holding TEXT; -TEXT leaves out those holding it (repeatable)")
        ->allow_extra_args(false);
    command.add_option("--regex", settings.Filter.Regex, "Entries matching this regular expression (RE2; ^ and $ at every line)");
    auto* matchCase = command.add_flag("--match-case", arguments.MatchCase, "Letter case counts in --grep and --regex");
    command.add_flag("--ignore-case", arguments.IgnoreCase, "Letter case does not count (the default)")->excludes(matchCase);
}

void AddRecordOptions(CLI::App& command, TKsLogSettings& settings, std::string& format)
{
    command.add_option("--format", format, "text (the entries as the log holds them), csv or jsonl")
        ->check(CLI::IsMember({"text", "csv", "jsonl"}));
    command.add_flag("--explain", settings.Explain, "Add the catalogue's description of each entry");
}

void AddEncodingOption(CLI::App& command, TFilterArguments& arguments)
{
    command.add_option("--encoding", arguments.Encoding,
                       "The log's text encoding, such as windows-1251 (default: UTF-8 when the log is valid UTF-8, "
                       "else the code page of your language)");
}

std::string OfferedEncodingNames()
{
    std::string names;
    for (const TFBLogEncodingInfo& info : OfferedEncodings())
        names += (names.empty() ? "" : ", ") + std::string(info.Name);
    return names;
}

void ApplyFilterArguments(const TFilterArguments& arguments, TKsLogSettings& settings)
{
    if (!arguments.Since.empty())
        settings.Filter.Since = DateArgument(arguments.Since, false, "--since");
    if (!arguments.Until.empty())
        settings.Filter.Until = DateArgument(arguments.Until, true, "--until");
    if (!arguments.Severity.empty()) {
        const std::optional<TFBLogSeverity> severity = ParseSeverity(arguments.Severity);
        if (!severity)
            throw EKsLogUsageError{"--severity \"" + arguments.Severity +
                                   "\" is not a severity: write critical, error, warning, info or unknown."};
        settings.Filter.AtLeast = *severity;
    }
    settings.Filter.MatchCase = arguments.MatchCase;
    if (!arguments.Encoding.empty()) {
        settings.Encoding = ParseEncodingName(arguments.Encoding);
        if (!settings.Encoding)
            throw EKsLogUsageError{"--encoding \"" + arguments.Encoding + "\" is not an encoding kslog reads: write one of " +
                                   OfferedEncodingNames() + "."};
    }
}

void AddFetchOptions(CLI::App& command, TKsLogFetchSettings& settings)
{
    command.add_option("HOST", settings.Host, "The server: db1, db1/3051 (a port), 10.0.0.5, [::1]/3050")->required();
    command.add_option("--user", settings.User, "The user name (default: ISC_USER, else SYSDBA)");
    command.add_option("--password-file", settings.PasswordFile,
                       "A file whose first line is the password; - reads standard input (default: ISC_PASSWORD)");
    command.add_option("-o,--output", settings.Output, "Write the log to this new file instead of standard output");
}

int Run(int argc, char** argv)
{
    CLI::App app{"kslog - summarise, list, export and follow Firebird and InterBase server logs"};
    app.set_version_flag("--version", std::string("kslog ") + KESTRELON_FILE_VERSION);
    app.require_subcommand(1);

    TKsLogSettings settings;
    TFilterArguments filter;
    std::string format = "text";

    CLI::App* summary = app.add_subcommand("summary", "Entries per day and per kind");
    AddFileArgument(*summary, settings);
    AddRangeOptions(*summary, filter);
    summary->add_flag("--json", settings.Json, "One JSON object instead of text");

    CLI::App* list = app.add_subcommand("list", "The entries that pass the filters");
    AddFileArgument(*list, settings);
    AddFilterOptions(*list, settings, filter);
    AddRecordOptions(*list, settings, format);
    AddEncodingOption(*list, filter);

    CLI::App* follow = app.add_subcommand("follow", "Entries as the server completes them, across truncation and rotation");
    AddFileArgument(*follow, settings);
    AddFilterOptions(*follow, settings, filter);
    AddRecordOptions(*follow, settings, format);
    AddEncodingOption(*follow, filter);
    follow->add_flag("--from-start", settings.FromStart, "Print what the file holds before following it");

    TKsLogFetchSettings fetchSettings;
    CLI::App* fetch = app.add_subcommand("fetch", "A server's log through the Firebird Services API");
    AddFetchOptions(*fetch, fetchSettings);

    const std::vector<std::string> arguments = CommandLineArguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments)
        pointers.push_back(argument.c_str());
    try {
        app.parse(static_cast<int>(pointers.size()), pointers.data());
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        Complain(std::string(error.what()) + "\nRun with --help for more information.");
        return kExitError;
    }
    if (fetch->parsed())
        return RunFetch(fetchSettings);
    ApplyFilterArguments(filter, settings);
    settings.Format = *ParseRecordFormat(format);
    if (summary->parsed())
        return RunSummary(settings);
    if (list->parsed())
        return RunList(settings);
    return RunFollow(settings);
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const EKsLogUsageError& error) {
        Complain(error.Message);
    } catch (const EFBRemoteError& error) {
        Complain(error.what());
    } catch (const EKsLogOutputError& error) {
        Complain("Cannot write the output. " + error.Reason);
    } catch (const std::exception& error) {
        Complain(error.what());
    }
    return kExitError;
}
