// Sending 1,000 mails of 10 KiB each to a local aiosmtpd server: one run of the quarn program
// file (a script whose for loop holds one sendmail block), side by side with Python's smtplib
// sending the same mails, one SMTP dialogue per mail on both sides. Each process is timed start
// to end; the two take turns going first from round to round. Prints the median times and their
// ratio; exits 1, with no figures, when a run fails or the server did not receive exactly the
// mails that were sent (envelope and bytes, in order).

#include <cstdio>
#include <string>
#include <vector>

#include "bench/program_run.h"
#include "tests/fixtures/smtp_server.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/text.h"

namespace {

constexpr int kMails = 1000;
constexpr int kBodyLines = 128;  // of 78 bytes + CR LF: 10 KiB
constexpr int kRounds = 3;
constexpr const char* kFrom = "bench@sender.test";
constexpr const char* kTo = "reader@receiver.test";

constexpr const char* kSmtplibScript = R"(
import smtplib, sys
host, port, count, body_file, sender, recipient = sys.argv[1:7]
body = open(body_file, "rb").read()
for i in range(1, int(count) + 1):
    mail = b"Subject: mail %d\r\n\r\n" % i + body + b"\r\n"
    with smtplib.SMTP(host, int(port), local_hostname="localhost") as smtp:
        smtp.helo("Quarn on 127.0.0.1")
        smtp.sendmail(sender, [recipient], mail)
)";

// The body lines without line ends; every 16th starts with "." so that both senders stuff.
std::vector<std::string> BodyLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < kBodyLines; ++i) {
        std::string line = (i % 16 == 0 ? ".line " : "line ") + std::to_string(i) + " ";
        while (line.size() < 78)
            line += static_cast<char>('a' + (line.size() + static_cast<std::size_t>(i)) % 26);
        lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines)
        text += line + end;
    return text;
}

// The data the server must keep for mail `number`.
std::string ExpectedData(int number, const std::string& body) {
    return "Subject: mail " + std::to_string(number) + "\r\n\r\n" + body + "\r\n";
}

std::string QuarnScript(const std::vector<std::string>& lines, const fixtures::SmtpServer& server) {
    return "&defvar(?i?)&for(?i?,1,?i?<=" + std::to_string(kMails) + ",1){&sendmail(\"" +
           server.Host() + "\", \"" + kFrom + "\", \"" + kTo + "\", formatnone, " +
           std::to_string(server.Port()) + "){HEADER:\nSubject: mail ?i?\nBODY:\n" +
           Joined(lines, "\n") + "}}";
}

bool Succeeded(const std::string& what, const bench::ProgramRun& run) {
    if (run.status == 0) return true;
    std::printf("smtp_bench: %s failed (status %d):\n%s\n", what.c_str(), run.status,
                fixtures::Tail(run.output).c_str());
    return false;
}

// True when the messages from `first` on are exactly the kMails mails of one run.
bool ReceivedOneRun(const fixtures::SmtpServer& server, std::size_t first, const std::string& body,
                    const std::string& who) {
    const std::vector<fixtures::SmtpServer::Message> messages = server.Messages();
    if (messages.size() != first + kMails) {
        std::printf("smtp_bench: after %s the server holds %zu mails, not %zu\n", who.c_str(),
                    messages.size(), first + kMails);
        return false;
    }
    for (int i = 0; i < kMails; ++i) {
        const fixtures::SmtpServer::Message& message = messages[first + i];
        if (message.helo != "Quarn on 127.0.0.1" || message.from != kFrom ||
            message.recipients != std::vector<std::string>{kTo} ||
            message.data != ExpectedData(i + 1, body)) {
            std::printf("smtp_bench: mail %d of %s arrived differently:\n%s\n", i + 1, who.c_str(),
                        fixtures::SmtpServer::Transcript({message}).substr(0, 600).c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    fixtures::SmtpServer server;
    if (!server.IsRunning()) {
        std::printf("smtp_bench: %s\n", server.FailureReason().c_str());
        return 1;
    }
    bench::QuarnProgramDir quarn;
    fixtures::TempDir scratch("smtp_bench");
    if (!quarn.Ok() || !scratch.Ok()) {
        std::printf("smtp_bench: %s%s\n", quarn.Error().c_str(), scratch.Error().c_str());
        return 1;
    }
    const std::vector<std::string> lines = BodyLines();
    const std::string body = Joined(lines, "\r\n");
    const std::string bodyFile = scratch.File("body.txt");
    std::string error;
    if (!quarn.WriteScript("Mails.scp", QuarnScript(lines, server)) ||
        !fixtures::WriteTextFile(bodyFile, body, &error)) {
        std::printf("smtp_bench: cannot write the inputs %s\n", error.c_str());
        return 1;
    }

    std::vector<double> quarnSeconds;
    std::vector<double> smtplibSeconds;
    std::size_t received = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool quarnTurn = (turn == 0) == (round % 2 == 0);
            const std::string who = quarnTurn ? "quarn" : "smtplib";
            const bench::ProgramRun run =
                quarnTurn ? quarn.Run({"Mails.scp"})
                          : bench::RunProgram({"/usr/bin/python3", "-c", kSmtplibScript,
                                               server.Host(), std::to_string(server.Port()),
                                               std::to_string(kMails), bodyFile, kFrom, kTo},
                                              scratch.Path());
            if (!Succeeded(who, run) || !ReceivedOneRun(server, received, body, who)) return 1;
            received += kMails;
            (quarnTurn ? quarnSeconds : smtplibSeconds).push_back(run.seconds);
        }
    }
    const double quarnMedian = bench::Median(quarnSeconds);
    const double smtplibMedian = bench::Median(smtplibSeconds);
    std::printf("smtp_bench: %d mails of %zu bytes each, one dialogue per mail, median of %d\n",
                kMails, ExpectedData(kMails, body).size(), kRounds);
    std::printf("%-10s %10.3f s\n%-10s %10.3f s\nquarn/smtplib %7.2f\n", "quarn", quarnMedian,
                "smtplib", smtplibMedian, quarnMedian / smtplibMedian);
    return 0;
}
