// ludomat-run as a user runs it: bad input options, its help, and typed answers as it prints
// them (the scripted input itself is the script corpus's: tests/scripts/input).

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;  // registers print as the CP1252 bytes they hold
    QString err;
};

class LudomatRun : public ::testing::Test {
protected:
    QTemporaryDir m_folder;

    // Writes the script with CR LF line ends, as the studio saves it.
    QString script(const QStringList& lines)
    {
        QString path = m_folder.filePath("jogo.scp");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join("\r\n").toLatin1() + "\r\n");
        return path;
    }

    Outcome run(QStringList arguments)
    {
        QProcess process;
        process.start(LUDOMAT_RUN, arguments);
        EXPECT_TRUE(process.waitForFinished(30000)) << "ludomat-run did not finish";
        return {process.exitCode(), process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(LudomatRun, BadInputOptionsEndWithAUsageMessage)
{
    QString path = script({"fim"});
    const QStringList bad[] = {
        {"--key-down", "Foo@10"},  // no such key
        {"--key-up", "Left"},      // no time
        {"--key-down", "A@-5"},    // a negative time
        {"--click", "10;20@5"},    // not X,Y
        {"--click", "10,x@5"},
        {"--type", "abc@soon"},
    };
    for (const QStringList& options : bad) {
        Outcome outcome = run(options + QStringList{path});
        EXPECT_EQ(outcome.exitCode, 2) << options.join(' ').toStdString();
        EXPECT_TRUE(outcome.err.contains("Tente 'ludomat-run --help'")) << outcome.err.toStdString();
    }
    EXPECT_TRUE(run({"--key-down", "Foo@10", path}).err.contains("tecla desconhecida"));
}

TEST_F(LudomatRun, HelpListsTheInputOptions)
{
    Outcome outcome = run({"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    for (const char* option : {"--key-down", "--key-up", "--click", "--type"})
        EXPECT_TRUE(outcome.out.contains(option)) << option;
}

TEST_F(LudomatRun, TypedTextAnswersTheInputBox)
{
    QString path = script({"inptdef= ,,,,1,,up", "input= 4,10,10,,,:ok", "pausa 30", "reg= 5,pulado", "fim",
                           ":ok", "reg= 6,ok"});
    Outcome outcome = run({"--registers", "--timeout", "10", "--type", "olá mundo@50", path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    // The register holds CP1252: "Á" is the byte 0xC1.
    EXPECT_EQ(outcome.out, QByteArray("4=OL\xC1 MUNDO\n6=ok\n"));

    Outcome noBox = run({"--registers", "--type", "perdido@0", script({"pausa 5", "reg= 1,fim"})});
    EXPECT_EQ(noBox.exitCode, 0);
    EXPECT_TRUE(noBox.err.contains("perdido")) << noBox.err.toStdString();
    EXPECT_EQ(noBox.out, "1=fim\n");
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
