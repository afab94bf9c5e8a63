#include "cli/CommandLine.h"

#include "SortanaVersion.h"
#include "cli/ExitStatus.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "cli/ReportCommand.h"
#include "cli/ResamplingOutputs.h"
#include "cli/ShowCommand.h"
#include "cli/StandardiseCommand.h"
#include "cli/SurveyCommand.h"
#include "drawing/PictureExport.h"
#include "formats/ReportWriters.h"
#include "platform/ConsolePlatform.h"

#include <QCommandLineParser>

#include <algorithm>
#include <new>
#include <optional>
#include <variant>

using namespace Qt::StringLiterals;

namespace sortana {

namespace {

const QString programName = u"sortana-cli"_s;
constexpr char16_t notEnoughMemory[] = u"Error - not enough memory for this study";

// An option, and what its value must be for the message when it is missing or unusable.
struct Option {
    QCommandLineOption option;
    QString needs;
};

struct Command {
    QString name;
    // What follows the name in the usage, in the lines the help wraps it into.
    QStringList synopsis;
    // What each operand is, for the message when it is missing; the first `required` must be given.
    QStringList operands;
    qsizetype required;
    QString summary;
    QString description;
    QList<Option> options;
    // The command's form for a table from another card-sort tool, when it takes one.
    QStringList tableForm;
};

Option helpOption()
{
    return {QCommandLineOption({u"h"_s, u"help"_s}, u"Print this help and exit"_s), {}};
}

Option flag(const QString &name, const QString &description)
{
    return {QCommandLineOption(name, description), {}};
}

Option valueOption(const QString &name, const QString &valueName, const QString &description, const QString &needs)
{
    return {QCommandLineOption(name, description, valueName), needs};
}

// How a table is read: its layout, its header and the column of each role.
QList<Option> tableOptions()
{
    const QString column = u"a column number or header text"_s;
    return {
        valueOption(u"layout"_s, u"long|wide"_s, u"A table of one row per card, or one row per participant"_s,
                    u"long or wide"_s),
        flag(u"header"_s, u"The first row of the table names its columns"_s),
        flag(u"no-header"_s, u"The table has no header row"_s),
        valueOption(u"sheet"_s, u"NAME|N"_s, u"The sheet of a workbook to read, by name or number"_s,
                    u"a sheet name or number"_s),
        valueOption(u"participant"_s, u"COL"_s, u"The participant column"_s, column),
        valueOption(u"card"_s, u"COL"_s, u"The card label column"_s, column),
        valueOption(u"card-id"_s, u"COL"_s, u"The card id column"_s, column),
        valueOption(u"category"_s, u"COL"_s, u"The category label column"_s, column),
        valueOption(u"category-id"_s, u"COL"_s, u"The category id column"_s, column),
    };
}

const QList<Command> &commands()
{
    static const QList<Command> table = {
        {u"import"_s,
         {u"INPUT [--fit|--no-fit] [--sub-groups|--no-sub-groups] [--expert]"_s,
          u"[--copies N] [--on-warning continue|cancel] [--outdir DIR]"_s,
          u"[--document OUT.klus] [--picture OUT.svg|OUT.png|OUT.pdf]"_s},
         {u"input file"_s},
         1,
         u"Import a raw data file and write its five analysis files"_s,
         u"Surveys INPUT, takes the options the survey suggests (fit scores and sub-groups when the\n"
         u"file has them, no expert, one card set per participant) with the flags on top, reads it,\n"
         u"clusters its items and writes the five analysis files next to INPUT, or into DIR.\n"
         u"A table whose header and options name no columns has them told from its cells, and the\n"
         u"columns used are printed. A table that cannot be a card sort (fewer than two participants,\n"
         u"no two cards in one group, no card sorted by two) is warned of before anything is written.\n"
         u"--exclude and --exclude-flagged leave participants out: the files are those of the input\n"
         u"without their lines. LIST is comma-separated participant ids (each leaves out every\n"
         u"participant with that id) or #N for the N-th participant in the file, from 1; the\n"
         u"expert cannot be left out. Flagged are sorts in one group, with every card alone, with\n"
         u"mostly one-letter group names, or far from the others (see export --participants).\n"
         u"--csv-utf8 also writes the five files as NAME-Cards-utf8.csv ... NAME-WeightedMatrix-utf8.csv:\n"
         u"the same cells, comma-separated UTF-8 with a byte-order mark, for spreadsheets. The ten\n"
         u"files are put in place together, or none of them is."_s,
         QList<Option>{flag(u"fit"_s, u"Use the fit scores"_s),
          flag(u"no-fit"_s, u"Leave the fit scores out"_s),
          flag(u"sub-groups"_s, u"Use the sub-groups"_s),
          flag(u"no-sub-groups"_s, u"Leave the sub-groups out"_s),
          flag(u"expert"_s, u"Compare everybody with the first participant, the expert"_s),
          valueOption(u"copies"_s, u"N"_s, u"Card sets per participant, 1 to 10"_s, u"a number"_s),
          valueOption(u"on-warning"_s, u"continue|cancel"_s,
                      u"Answer a data warning OK and go on (the default), or Cancel and stop"_s,
                      u"continue or cancel"_s),
          valueOption(u"outdir"_s, u"DIR"_s, u"Write the analysis files into DIR, made if missing"_s, u"a folder"_s),
          valueOption(u"document"_s, u"OUT.klus"_s, u"Also save the study as a document"_s, u"a file name"_s),
          valueOption(u"picture"_s, u"OUT.svg|OUT.png|OUT.pdf"_s, u"Also draw the dendrogram"_s,
                      u"a file name ending in .svg, .png or .pdf"_s),
          valueOption(u"standard"_s, u"MAP.csv"_s,
                      u"Keep the standard names of this original,standard file in the document"_s, u"a file name"_s),
          valueOption(u"exclude"_s, u"LIST"_s, u"Leave out these participants: ids or #N, comma-separated"_s,
                      u"participant ids or #N, separated by commas"_s),
          flag(u"exclude-flagged"_s, u"Leave out the participants whose sorts are flagged"_s),
          flag(u"csv-utf8"_s, u"Also write the five files as UTF-8 CSV for spreadsheets"_s)}
             + tableOptions() + QList<Option>{helpOption()},
         {u"TABLE [--layout long|wide] [--header|--no-header] [--sheet NAME|N]"_s,
          u"[--participant COL] [--card COL] [--card-id COL]"_s,
          u"[--category COL] [--category-id COL]  (+ the options above)"_s}},
        {u"survey"_s,
         {u"INPUT"_s},
         {u"input file"_s},
         1,
         u"Print what a raw data file or a table holds"_s,
         u"Surveys INPUT as the import does first and prints fileType=, hasFitData=, hasSubGroups=,\n"
         u"itemCount=, lineCount=, groupCount= and participantCount= lines (flags as 0 or 1).\n"
         u"A table whose header and options name no columns has them told from its cells."_s,
         tableOptions() + QList<Option>{helpOption()},
         {u"TABLE [the table options]"_s}},
        {u"render"_s,
         {u"DOC.klus OUT.svg|OUT.png|OUT.pdf [--matrix]"_s, u"[--dpi N] [--scale|--no-scale]"_s},
         {u"document file"_s, u"picture file"_s},
         2,
         u"Draw a document's dendrogram or similarity matrix"_s,
         u"Draws the dendrogram of a document with its own settings at its real size, as SVG or PNG\n"
         u"as on screen, or as a one-page PDF as for a printer, with the similarity scale below it\n"
         u"when the document shows it, each group's suggested name at the top right of its band when\n"
         u"it shows those, and each join's support and each group's stability when the document holds\n"
         u"them and shows them (View > Join Support).\n"
         u"No name is cut off: the picture widens to the widest one.\n"
         u"With --matrix it draws the similarity matrix instead, at most 400 mm a side."_s,
         {flag(u"matrix"_s, u"Draw the similarity matrix"_s),
          valueOption(u"dpi"_s, u"N"_s, u"Dots per inch of a PNG picture, 50 to 1200 (150 by default)"_s,
                      u"a number from 50 to 1200"_s),
          flag(u"scale"_s, u"Draw the similarity scale, whatever the document says"_s),
          flag(u"no-scale"_s, u"Leave the similarity scale out, whatever the document says"_s),
          helpOption()},
         {}},
        {u"show"_s,
         {u"DOC.klus"_s},
         {u"document file"_s},
         1,
         u"Print a document's summary, settings, items and leaf order"_s,
         u"Prints the summary of the import, the dendrogram's settings, the items with their mean\n"
         u"fit scores and the leaf order of a document as key=value lines."_s,
         {helpOption()},
         {}},
        {u"export"_s,
         {u"DOC.klus [--categories OUT.csv] [--placements OUT.csv]"_s,
          u"[--groups OUT.csv] [--group-count N]"_s,
          u"[--support OUT.csv] [--stability OUT.csv] [--adequacy OUT.csv]"_s,
          u"[--cophenetic] [--replicates B] [--subsets R] [--seed S]"_s,
          u"[--participants OUT.csv] [--distances OUT.csv] [--workbook OUT.xlsx]"_s},
         {u"document file"_s},
         1,
         u"Write what participants called their groups, how they sorted, how far to trust the tree, or a "
         u"workbook of it all"_s,
         u"Writes the categories of a document's study (the participants' group names, under its\n"
         u"standardisation) as UTF-8 CSV files: --categories one row per category with its\n"
         u"participants, groups, cards and agreement; --placements one row per card in the\n"
         u"dendrogram's order with how many participants placed it in each category; --groups one\n"
         u"row per card with its group of the dendrogram (numbered from 1 at the top, cut into the\n"
         u"document's number of groups or N) and that group's suggested name. --participants writes\n"
         u"one row per participant with their groups, cards, mean distance to the others (the\n"
         u"percentage of their cards to move, on average, to sort as another did) and flags;\n"
         u"--distances the cards to move between every two participants but the expert.\n"
         u"\n"
         u"How far to trust the tree, from the participants drawn again at random (a generator\n"
         u"seeded with S, 1 unless given, so that a run can be repeated): --support the share of\n"
         u"B replicates (1000 unless given) that have each join of the tree, the joins numbered\n"
         u"from 1 left before right and the root last; --stability how well each group of the\n"
         u"cut (the document's number of groups or N) comes back in those replicates; --adequacy\n"
         u"how closely sub-samples of growing size (R of each, 200 unless given) correlate with\n"
         u"the whole study; --cophenetic prints how well the tree keeps the pair scores, one\n"
         u"number. Figures a document holds for the same B, R and S are used as they are.\n"
         u"\n"
         u"--workbook writes one Excel workbook for spreadsheets: the five analysis files of the\n"
         u"participants the study keeps (Cards, Items, Participants, Matrix, Weighted Matrix), then\n"
         u"Categories, Placements, Groups, Participant Checks and Distances as the files above, and\n"
         u"Support, Stability and Adequacy when the document holds them, one sheet each; its groups\n"
         u"are the document's own cut."_s,
         {valueOption(u"categories"_s, u"OUT.csv"_s, u"Write the categories and their figures"_s, u"a file name"_s),
          valueOption(u"placements"_s, u"OUT.csv"_s, u"Write the cards by categories placement matrix"_s,
                      u"a file name"_s),
          valueOption(u"groups"_s, u"OUT.csv"_s, u"Write the dendrogram's groups with their suggested names"_s,
                      u"a file name"_s),
          valueOption(u"group-count"_s, u"N"_s, u"Cut the dendrogram into N groups for --groups and --stability"_s,
                      u"a number of 1 or more"_s),
          valueOption(u"support"_s, u"OUT.csv"_s, u"Write the support of every join"_s, u"a file name"_s),
          valueOption(u"stability"_s, u"OUT.csv"_s, u"Write the stability of every group"_s, u"a file name"_s),
          valueOption(u"adequacy"_s, u"OUT.csv"_s, u"Write the participants-enough curve"_s, u"a file name"_s),
          flag(u"cophenetic"_s, u"Print the cophenetic correlation"_s),
          valueOption(u"replicates"_s, u"B"_s, u"Draw B replicates for --support and --stability"_s,
                      u"a number from 10 to 10000"_s),
          valueOption(u"subsets"_s, u"R"_s, u"Draw R sub-samples of each size for --adequacy"_s,
                      u"a number from 10 to 10000"_s),
          valueOption(u"seed"_s, u"S"_s, u"Seed the draws with S"_s, u"a whole number from 0 to 18446744073709551615"_s),
          valueOption(u"participants"_s, u"OUT.csv"_s, u"Write each participant's figures and flags"_s,
                      u"a file name"_s),
          valueOption(u"distances"_s, u"OUT.csv"_s, u"Write the distances between the participants' sorts"_s,
                      u"a file name"_s),
          valueOption(u"workbook"_s, u"OUT.xlsx"_s, u"Write the analysis and its figures as one workbook"_s,
                      u"a file name"_s),
          helpOption()},
         {}},
        {u"standardise"_s,
         {u"DOC.klus MAP.csv|--suggest|--export OUT.csv"_s},
         {u"document file"_s, u"standardisation file"_s},
         1,
         u"Keep standard names for the participants' group names in a document"_s,
         u"Reads MAP.csv, a UTF-8 CSV file with the header original,standard and one row per\n"
         u"original group name (matched in any case and spacing), and stores it in the document,\n"
         u"replacing its standardisation. A file that gives one original two standards is refused.\n"
         u"--suggest prints the merges the Categories window suggests, as such a file: every set\n"
         u"of categories whose names differ only in accents, one row per category under the name\n"
         u"of the one with the most groups; the header alone when there is none. --export writes\n"
         u"the whole standardisation: every original spelling of every category under its name,\n"
         u"then the document's standard names for spellings its study leaves out, so that\n"
         u"storing the file unchanged changes nothing."_s,
         {flag(u"suggest"_s, u"Print the suggested merges"_s),
          valueOption(u"export"_s, u"OUT.csv"_s, u"Write the whole standardisation"_s, u"a file name"_s),
          helpOption()},
         {}},
        {u"report"_s,
         {u"DOC.klus OUT.html|OUT.pdf"_s},
         {u"document file"_s, u"report file"_s},
         2,
         u"Write a document's report for readers who do not use Sortana"_s,
         u"Writes the report of a document: the study, the dendrogram, the groups of its cut with\n"
         u"their suggested names, the similarity matrix, the categories and placement matrix (the\n"
         u"first 30 categories), the participants with their flags and the most representative\n"
         u"sorts, the participants-enough chart and the cophenetic correlation when the document\n"
         u"holds them, and a short account of the method. OUT.html is one web page that needs no\n"
         u"other file; OUT.pdf has the same content on A4 pages. A document saved without the\n"
         u"participants' sorts or its matrix gets the report of what it has, saying what is missing.\n"
         u"The date in the report is SOURCE_DATE_EPOCH's when that is set, otherwise now."_s,
         {helpOption()},
         {}},
        {u"convert"_s,
         {u"TABLE OUT.txt [the table options]"_s},
         {u"table file"_s, u"raw data file"_s},
         2,
         u"Write a table from another card-sort tool as a raw data file"_s,
         u"Reads TABLE (.csv, .tsv or .xlsx; one row per card or per participant) and writes the\n"
         u"equivalent raw data file, UTF-8, which imports to the same analysis files. A table whose\n"
         u"header and options name no columns has them told from its cells."_s,
         tableOptions() + QList<Option>{helpOption()},
         {}},
        {u"help"_s,
         {u"[COMMAND]"_s},
         {u"command"_s},
         0,
         u"Describe a command"_s,
         u"Describes COMMAND and its options, or lists every command."_s,
         {helpOption()},
         {}},
    };
    return table;
}

const Command *findCommand(const QString &name)
{
    const auto found = std::find_if(commands().cbegin(), commands().cend(),
                                    [&](const Command &command) { return command.name == name; });
    return found == commands().cend() ? nullptr : &*found;
}

// The forms of the usage in the order they are listed: the commands' own, then those for
// tables, then help.
QList<std::pair<const Command *, const QStringList *>> usageForms(const Command *only)
{
    const std::pair<QString, bool> order[] = {
        {u"import"_s, false}, {u"survey"_s, false}, {u"render"_s, false}, {u"show"_s, false},
        {u"export"_s, false}, {u"standardise"_s, false}, {u"report"_s, false}, {u"import"_s, true},
        {u"convert"_s, false},
        {u"survey"_s, true}, {u"help"_s, false},
    };
    QList<std::pair<const Command *, const QStringList *>> forms;
    for (const auto &[name, table] : order) {
        const Command *command = findCommand(name);
        if (!only || only == command)
            forms.append({command, table ? &command->tableForm : &command->synopsis});
    }
    return forms;
}

// The usage of one command, or of every one when there is none: wrapped as in the help, or
// one line for each form as after a usage error.
QStringList usageLines(const Command *command, bool wrapped)
{
    QStringList forms;
    for (const auto &[each, synopsis] : usageForms(command)) {
        const QString start = programName + u' ' + each->name + u' ';
        if (!wrapped) {
            forms.append(start + synopsis->join(u' '));
            continue;
        }
        forms.append(start + synopsis->constFirst());
        for (const QString &line : synopsis->mid(1))
            forms.append(QString(start.size(), u' ') + line);
    }
    if (!command)
        forms.append(programName + u" --help|--version"_s);
    const QString usage = u"Usage: "_s;
    for (qsizetype i = 0; i < forms.size(); ++i)
        forms[i].prepend(i == 0 ? usage : QString(usage.size(), u' '));
    return forms;
}

QStringList optionLines(const QList<Option> &options)
{
    QStringList names;
    for (const Option &each : options) {
        QStringList spellings;
        for (const QString &name : each.option.names())
            spellings.append((name.size() == 1 ? u"-"_s : u"--"_s) + name);
        const QString value = each.option.valueName();
        names.append(spellings.join(u", "_s) + (value.isEmpty() ? QString() : u' ' + value));
    }
    const qsizetype width = std::max_element(names.cbegin(), names.cend(), [](const QString &a, const QString &b) {
                                return a.size() < b.size();
                            })->size();
    QStringList lines;
    for (qsizetype i = 0; i < options.size(); ++i)
        lines.append(u"  "_s + names[i].leftJustified(width + 2) + options[i].option.description());
    return lines;
}

QStringList helpLines(const Command *command)
{
    QStringList lines = usageLines(command, true);
    lines.append(QString());
    if (command) {
        lines.append(command->description.split(u'\n'));
        lines.append(QString());
        lines.append(u"Options:"_s);
        lines.append(optionLines(command->options));
        return lines;
    }
    lines.append(u"Commands:"_s);
    qsizetype width = 0;
    for (const Command &each : commands())
        width = std::max(width, each.name.size());
    for (const Command &each : commands())
        lines.append(u"  "_s + each.name.leftJustified(width + 2) + each.summary);
    lines.append(QString());
    lines.append(u"Exit status: 0 done, 1 refused, failed or cancelled, 2 for a usage error."_s);
    lines.append(u"\"sortana-cli help COMMAND\" describes a command and its options."_s);
    return lines;
}

void writeLines(std::FILE *stream, const QStringList &lines)
{
    for (const QString &line : lines) {
        const QByteArray bytes = line.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
        std::fputc('\n', stream);
    }
    std::fflush(stream);
}

int printHelp(const Command *command, std::FILE *out)
{
    writeLines(out, helpLines(command));
    return exitSuccess;
}

// The message names the argument; the usage of the command it belongs to follows.
int usageError(const QString &message, const Command *command, std::FILE *err)
{
    QStringList lines{message};
    lines.append(usageLines(command, false));
    for (QString &line : lines)
        line = ConsolePlatform::consoleLine(line);
    writeLines(err, lines);
    return exitUsage;
}

QString needsMessage(const Option &option)
{
    return u"--"_s + option.option.names().constLast() + u" needs "_s + option.needs;
}

// QCommandLineParser says what went wrong in its own words; this finds the argument, in the
// order given, and says it in ours.
std::optional<QString> parseError(const QList<Option> &options, const QStringList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"--"_s)
            break;
        if (!argument.startsWith(u'-') || argument == u"-"_s)
            continue;
        const QString spelling = argument.section(u'=', 0, 0);
        const QString name = spelling.mid(spelling.startsWith(u"--"_s) ? 2 : 1);
        const auto option = std::find_if(options.cbegin(), options.cend(),
                                         [&](const Option &each) { return each.option.names().contains(name); });
        if (option == options.cend())
            return u"unknown option "_s + spelling;
        const bool hasValue = argument.size() > spelling.size();
        if (option->option.valueName().isEmpty()) {
            if (hasValue)
                return spelling + u" takes no value"_s;
        } else if (!hasValue && ++i == arguments.size()) {
            return needsMessage(*option);
        }
    }
    return std::nullopt;
}

// Long options may be written with one dash or two; an option's name is then exactly what
// follows the dashes, so a usage error can name the argument as it was given.
std::optional<QString> parse(QCommandLineParser &parser, const QList<Option> &options, const QStringList &arguments)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option &each : options)
        parser.addOption(each.option);
    if (parser.parse(QStringList{programName} + arguments))
        return std::nullopt;
    return parseError(options, arguments).value_or(parser.errorText());
}

const Option &optionNamed(const Command &command, const QString &name)
{
    return *std::find_if(command.options.cbegin(), command.options.cend(),
                         [&](const Option &each) { return each.option.names().contains(name); });
}

// Of two flags that contradict each other the later one counts.
std::optional<bool> lastOf(const QCommandLineParser &parser, const QString &yes, const QString &no)
{
    std::optional<bool> value;
    for (const QString &name : parser.optionNames()) {
        if (name == yes || name == no)
            value = name == yes;
    }
    return value;
}

// How the input is read when it is a table: known by its extension or by any table option.
std::variant<std::optional<TableOptions>, QString> tableOptionsOf(const Command &command,
                                                                  const QCommandLineParser &parser,
                                                                  const QString &input)
{
    const QList<Option> all = tableOptions();
    const bool anyGiven = std::any_of(all.cbegin(), all.cend(), [&](const Option &each) {
        return parser.isSet(each.option.names().constFirst());
    });
    if (!anyGiven && !isTablePath(input))
        return std::optional<TableOptions>();
    TableOptions table;
    const auto unusable = [&](const QString &name) { return needsMessage(optionNamed(command, name)); };
    if (parser.isSet(u"layout"_s)) {
        const QString layout = parser.value(u"layout"_s);
        if (layout == u"long"_s)
            table.layout = TableOptions::Layout::Long;
        else if (layout == u"wide"_s)
            table.layout = TableOptions::Layout::Wide;
        else
            return unusable(u"layout"_s);
    }
    if (const std::optional<bool> header = lastOf(parser, u"header"_s, u"no-header"_s))
        table.header = *header ? TableOptions::Header::Present : TableOptions::Header::Absent;
    for (const auto &[name, value] : {std::pair{u"sheet"_s, &table.sheet}, std::pair{u"participant"_s, &table.participant},
                                      std::pair{u"card"_s, &table.card}, std::pair{u"card-id"_s, &table.cardId},
                                      std::pair{u"category"_s, &table.category},
                                      std::pair{u"category-id"_s, &table.categoryId}}) {
        if (!parser.isSet(name))
            continue;
        *value = parser.value(name);
        if (value->isEmpty())
            return unusable(name);
    }
    return std::optional<TableOptions>(table);
}

std::variant<ImportOptions, QString> importOptions(const Command &command, const QCommandLineParser &parser,
                                                   const QString &input)
{
    ImportOptions options;
    options.input = input;
    options.useFit = lastOf(parser, u"fit"_s, u"no-fit"_s);
    options.useSubGroups = lastOf(parser, u"sub-groups"_s, u"no-sub-groups"_s);
    options.useExpert = parser.isSet(u"expert"_s);
    const auto unusable = [&](const QString &name) { return needsMessage(optionNamed(command, name)); };
    if (parser.isSet(u"copies"_s)) {
        bool isNumber = false;
        options.copies = parser.value(u"copies"_s).toInt(&isNumber);
        if (!isNumber)
            return unusable(u"copies"_s);
    }
    if (parser.isSet(u"on-warning"_s)) {
        const QString policy = parser.value(u"on-warning"_s);
        if (policy == u"continue"_s)
            options.onWarning = ConsolePlatform::WarningPolicy::Continue;
        else if (policy == u"cancel"_s)
            options.onWarning = ConsolePlatform::WarningPolicy::Cancel;
        else
            return unusable(u"on-warning"_s);
    }
    for (const auto &[name, path] : {std::pair{u"outdir"_s, &options.outputFolder},
                                     std::pair{u"document"_s, &options.documentPath},
                                     std::pair{u"picture"_s, &options.picturePath},
                                     std::pair{u"standard"_s, &options.standardPath}}) {
        if (!parser.isSet(name))
            continue;
        *path = parser.value(name);
        if (path->isEmpty())
            return unusable(name);
    }
    if (parser.isSet(u"picture"_s) && !isPicturePath(options.picturePath))
        return unusable(u"picture"_s);
    if (parser.isSet(u"exclude"_s)) {
        options.exclude = parser.value(u"exclude"_s).split(u',');
        for (const QString &entry : std::as_const(options.exclude)) {
            bool isNumber = true;
            if (entry.startsWith(u'#') && entry.mid(1).toInt(&isNumber) < 1)
                isNumber = false;
            if (entry.isEmpty() || !isNumber)
                return unusable(u"exclude"_s);
        }
    }
    options.excludeFlagged = parser.isSet(u"exclude-flagged"_s);
    options.utf8CsvCopies = parser.isSet(u"csv-utf8"_s);
    const auto table = tableOptionsOf(command, parser, input);
    if (const QString *message = std::get_if<QString>(&table))
        return *message;
    options.table = std::get<std::optional<TableOptions>>(table);
    return options;
}

std::variant<RenderOptions, QString> renderOptions(const Command &command, const QCommandLineParser &parser,
                                                   const QString &picturePath)
{
    RenderOptions options;
    options.picture = parser.isSet(u"matrix"_s) ? RenderedPicture::Matrix : RenderedPicture::Dendrogram;
    options.showScale = lastOf(parser, u"scale"_s, u"no-scale"_s);
    if (options.showScale && options.picture == RenderedPicture::Matrix)
        return (*options.showScale ? u"--scale"_s : u"--no-scale"_s) + u" is for the dendrogram, not --matrix"_s;
    if (parser.isSet(u"dpi"_s)) {
        bool isNumber = false;
        options.pngDpi = parser.value(u"dpi"_s).toInt(&isNumber);
        if (!isNumber || options.pngDpi < minimumPngDpi || options.pngDpi > maximumPngDpi)
            return needsMessage(optionNamed(command, u"dpi"_s));
        if (!picturePath.endsWith(u".png"_s, Qt::CaseInsensitive))
            return u"--dpi is for PNG pictures only"_s;
    }
    return options;
}

// The numbers of the resampling runs; a message when one is unusable or has no output to serve.
std::optional<QString> resamplingOptions(const Command &command, const QCommandLineParser &parser,
                                         ExportOptions &options)
{
    options.cophenetic = parser.isSet(u"cophenetic"_s);
    for (const auto &[name, runs] : {std::pair{u"replicates"_s, &options.replicates},
                                     std::pair{u"subsets"_s, &options.subsets}}) {
        if (!parser.isSet(name))
            continue;
        bool isNumber = false;
        *runs = parser.value(name).toInt(&isNumber);
        if (!isNumber || **runs < fewestRuns || **runs > mostRuns)
            return needsMessage(optionNamed(command, name));
    }
    if (parser.isSet(u"seed"_s)) {
        bool isNumber = false;
        const QString text = parser.value(u"seed"_s);
        options.seed = text.toULongLong(&isNumber);
        // toULongLong takes a sign and surrounding spaces; a seed is digits only.
        if (!isNumber || text.isEmpty() || !std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); }))
            return needsMessage(optionNamed(command, u"seed"_s));
    }
    const bool replicated = !options.supportPath.isEmpty() || !options.stabilityPath.isEmpty();
    if (options.replicates && !replicated)
        return u"--replicates is for --support and --stability"_s;
    if (options.subsets && options.adequacyPath.isEmpty())
        return u"--subsets is for --adequacy"_s;
    if (options.seed && !replicated && options.adequacyPath.isEmpty())
        return u"--seed is for --support, --stability and --adequacy"_s;
    return std::nullopt;
}

std::variant<ExportOptions, QString> exportOptions(const Command &command, const QCommandLineParser &parser,
                                                   const QString &documentPath)
{
    ExportOptions options;
    options.documentPath = documentPath;
    for (const auto &[name, path] : {std::pair{u"categories"_s, &options.categoriesPath},
                                     std::pair{u"placements"_s, &options.placementsPath},
                                     std::pair{u"groups"_s, &options.groupsPath},
                                     std::pair{u"support"_s, &options.supportPath},
                                     std::pair{u"stability"_s, &options.stabilityPath},
                                     std::pair{u"adequacy"_s, &options.adequacyPath},
                                     std::pair{u"participants"_s, &options.participantsPath},
                                     std::pair{u"distances"_s, &options.distancesPath},
                                     std::pair{u"workbook"_s, &options.workbookPath}}) {
        if (!parser.isSet(name))
            continue;
        *path = parser.value(name);
        if (path->isEmpty())
            return needsMessage(optionNamed(command, name));
    }
    if (parser.isSet(u"group-count"_s)) {
        bool isNumber = false;
        options.groupCount = parser.value(u"group-count"_s).toInt(&isNumber);
        if (!isNumber || *options.groupCount < 1)
            return needsMessage(optionNamed(command, u"group-count"_s));
    }
    if (const std::optional<QString> refused = resamplingOptions(command, parser, options))
        return *refused;
    if (options.categoriesPath.isEmpty() && options.placementsPath.isEmpty() && options.groupsPath.isEmpty()
        && options.participantsPath.isEmpty() && options.distancesPath.isEmpty() && options.workbookPath.isEmpty()
        && !wantsResampling(options))
        return u"export needs --categories, --placements, --groups, --participants, --distances, --workbook, "
               u"--support, --stability, --adequacy or --cophenetic"_s;
    return options;
}

int runCommand(const Command &command, const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const std::optional<QString> error = parse(parser, command.options, arguments);
    if (parser.isSet(u"help"_s))
        return printHelp(&command, out);
    if (error)
        return usageError(*error, &command, err);
    const QStringList operands = parser.positionalArguments();
    if (operands.size() < command.required)
        return usageError(u"missing "_s + command.operands[operands.size()], &command, err);
    if (operands.size() > command.operands.size())
        return usageError(u"unexpected argument "_s + operands[command.operands.size()], &command, err);

    if (command.name == u"help"_s) {
        if (operands.isEmpty())
            return printHelp(nullptr, out);
        const Command *described = findCommand(operands.constFirst());
        if (!described)
            return usageError(u"unknown command "_s + operands.constFirst(), nullptr, err);
        return printHelp(described, out);
    }
    if (command.name == u"import"_s) {
        const auto options = importOptions(command, parser, operands[0]);
        if (const QString *message = std::get_if<QString>(&options))
            return usageError(*message, &command, err);
        return runImport(std::get<ImportOptions>(options));
    }
    ConsolePlatform platform;
    if (command.name == u"survey"_s || command.name == u"convert"_s) {
        const auto table = tableOptionsOf(command, parser, operands[0]);
        if (const QString *message = std::get_if<QString>(&table))
            return usageError(*message, &command, err);
        const std::optional<TableOptions> &reading = std::get<std::optional<TableOptions>>(table);
        if (command.name == u"survey"_s)
            return runSurvey(operands[0], reading, platform, out);
        return runConvert(operands[0], operands[1], reading.value_or(TableOptions()), platform);
    }
    if (command.name == u"show"_s)
        return runShow(operands[0], platform, out);
    if (command.name == u"standardise"_s) {
        const bool exporting = parser.isSet(u"export"_s);
        if (int(operands.size() > 1) + int(parser.isSet(u"suggest"_s)) + int(exporting) != 1)
            return usageError(u"standardise takes one of MAP.csv, --suggest and --export"_s, &command, err);
        if (exporting && parser.value(u"export"_s).isEmpty())
            return usageError(needsMessage(optionNamed(command, u"export"_s)), &command, err);
        if (exporting)
            return runExportStandardisation(operands[0], parser.value(u"export"_s), platform);
        if (parser.isSet(u"suggest"_s))
            return runSuggestMerges(operands[0], platform, out);
        return runStandardise(operands[0], operands[1], platform);
    }
    if (command.name == u"report"_s) {
        if (!isReportPath(operands[1]))
            return usageError(u"report "_s + operands[1] + u" does not end in .html, .htm or .pdf"_s, &command, err);
        return runReport(operands[0], operands[1], platform);
    }
    if (command.name == u"export"_s) {
        const auto options = exportOptions(command, parser, operands[0]);
        if (const QString *message = std::get_if<QString>(&options))
            return usageError(*message, &command, err);
        return runExport(std::get<ExportOptions>(options), platform, out, err);
    }
    if (!isPicturePath(operands[1]))
        return usageError(u"picture "_s + operands[1] + u" does not end in .svg, .png or .pdf"_s, &command, err);
    const auto options = renderOptions(command, parser, operands[1]);
    if (const QString *message = std::get_if<QString>(&options))
        return usageError(*message, &command, err);
    return runRender(operands[0], operands[1], platform, std::get<RenderOptions>(options));
}

} // namespace

int runCommandLine(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    // Options after the command are the command's own.
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QList<Option> options = {helpOption(),
                                   flag(u"version"_s, u"Print the version and exit"_s)};
    if (const std::optional<QString> error = parse(parser, options, arguments))
        return usageError(*error, nullptr, err);
    if (parser.isSet(u"help"_s))
        return printHelp(nullptr, out);
    if (parser.isSet(u"version"_s)) {
        writeLines(out, {programName + u' ' + QStringLiteral(SORTANA_VERSION)});
        return exitSuccess;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(u"missing command"_s, nullptr, err);
    const Command *command = findCommand(words.constFirst());
    if (!command)
        return usageError(u"unknown command "_s + words.constFirst(), nullptr, err);
    // Memory running out, on this thread or on one of the analysis's, ends the command and not
    // the program: the user is told, and the files already put in place stay.
    try {
        return runCommand(*command, words.mid(1), out, err);
    } catch (const std::bad_alloc &) {
        ConsolePlatform(ConsolePlatform::WarningPolicy::Continue, err).error(QString::fromUtf16(notEnoughMemory));
        return exitFailed;
    }
}

} // namespace sortana
