// Member access through the adapter registry: properties, chains, indexed members, methods
// with var parameters, casts, is and as, constructors, and the guarded object handles with
// Free's rules. The named objects are a real report label and shape beside a probe class
// whose adapter adds an array property and a method.

#include "report/script/members.h"
#include "report/script/object_adapters.h"

#include "report/model/graphic_components.h"
#include "report/model/report_classes.h"
#include "report/model/script_adapter.h"
#include "report/model/text_components.h"
#include "report/script/program.h"
#include "report/script/run.h"

#include <QDir>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TScriptProbe : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(double Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Count READ Count)
    Q_PROPERTY(TScriptProbe* Child READ Child WRITE SetChild)
    Q_PROPERTY(TCurrency Amount MEMBER m_amount)
public:
    Q_INVOKABLE explicit TScriptProbe(TComponent* aOwner = nullptr) : TComponent(aOwner) {}
    QString Caption() const { return m_caption; }
    void SetCaption(const QString& v) { m_caption = v; }
    double Width() const { return m_width; }
    void SetWidth(double v) { m_width = v; }
    int Count() const { return int(Items.size()); }
    TScriptProbe* Child() const { return m_child; }
    void SetChild(TScriptProbe* v) { m_child = v; }
    QStringList Items{QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")};

private:
    QString m_caption;
    double m_width = 0;
    TScriptProbe* m_child = nullptr;
    TCurrency m_amount;
};

namespace {

bool is(const QString& a, const char* b) {
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

/// Items[i] (also the default indexed member) and Find(S; var Index): Boolean.
class TraTScriptProbeRTTI : public TraTComponentRTTI {
public:
    TClass RefClass() const override { return &TScriptProbe::staticMetaObject; }
    bool GetPropRec(TClass aClass, const QString& aName, TraPropRec& aPropRec) const override {
        if (aName.isEmpty() || is(aName, "Items")) {
            ArrayPropToRec(QStringLiteral("Items"), aPropRec);
            return true;
        }
        if (is(aName, "Find")) {
            MethodToRec(QStringLiteral("Find"), true, aPropRec);
            return true;
        }
        return TraTComponentRTTI::GetPropRec(aClass, aName, aPropRec);
    }
    std::unique_ptr<TraParamList> GetParams(const QString& aName) const override {
        auto list = std::make_unique<TraParamList>();
        if (is(aName, "Items")) {
            list->AddParam(QStringLiteral("Index"), TraDataType::daInteger, nullptr, {}, false, false);
            list->AddParam(QStringLiteral("Result"), TraDataType::daString, nullptr, {}, false, false);
            return list;
        }
        if (is(aName, "Find")) {
            list->AddParam(QStringLiteral("S"), TraDataType::daString, nullptr, {}, false, false);
            list->AddParam(QStringLiteral("Index"), TraDataType::daInteger, nullptr, {}, false, true);
            list->AddParam(QStringLiteral("Result"), TraDataType::daBoolean, nullptr, {}, false, false);
            return list;
        }
        return TraTComponentRTTI::GetParams(aName);
    }
    bool CallMethod(QObject* aObject, const QString& aName, bool aGet, TraParamList& aParams) const override {
        auto* probe = qobject_cast<TScriptProbe*>(aObject);
        if (probe && is(aName, "Items")) {
            QVariant index;
            aParams.GetParamValue(0, index);
            const int i = index.toInt();
            if (i < 0 || i >= probe->Items.size())
                return false;
            if (aGet) {
                aParams.SetParamValue(1, probe->Items.at(i));
            } else {
                QVariant text;
                aParams.GetParamValue(1, text);
                probe->Items[i] = text.toString();
            }
            return true;
        }
        if (probe && is(aName, "Find")) {
            QVariant s;
            aParams.GetParamValue(0, s);
            const int at = int(probe->Items.indexOf(s.toString()));
            aParams.SetParamValue(1, at);
            aParams.SetParamValue(2, at >= 0);
            return true;
        }
        return TraTComponentRTTI::CallMethod(aObject, aName, aGet, aParams);
    }
};

class ScriptMembers : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        report::RegisterReportClasses();
        report::RegisterClass(&TScriptProbe::staticMetaObject);
        raRegisterRTTI<TraTScriptProbeRTTI>();
    }
    static void TearDownTestSuite() { raUnRegisterRTTI(RTTIInstance<TraTScriptProbeRTTI>()); }

    void SetUp() override {
        report = std::make_unique<TComponent>();
        probe = new TScriptProbe(report.get());
        probe->setObjectName(QStringLiteral("Probe1"));
        child = new TScriptProbe(report.get());
        child->setObjectName(QStringLiteral("Probe2"));
        probe->SetChild(child);
        label = new TppLabel(report.get());
        label->setObjectName(QStringLiteral("Label1"));
        label->SetUserName(QStringLiteral("Label1"));
        shape = new TppShape(report.get());
        shape->setObjectName(QStringLiteral("Shape1"));
        shape->SetUserName(QStringLiteral("Shape1"));
    }
    void TearDown() override { script::FreeMadeObjects(); }

    /// Compiles the program with the report's objects reachable by name and runs it.
    script::RunResult run(const QString& source, QString* compileError = nullptr) {
        TraProgram p;
        p.OnGetObject = [this](TraProgram*, const QString& name, QObject*& object) {
            object = report->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
            return object != nullptr;
        };
        p.SetSource(source);
        p.CompileProgram();
        if (p.HasErrors()) {
            if (compileError)
                *compileError = p.SyntaxErrors(0)->Msg;
            script::RunResult r;
            r.outcome = script::Outcome::Failed;
            r.failure = QStringLiteral("syntax: ") + p.SyntaxErrors(0)->Msg;
            return r;
        }
        return script::RunProgram(p);
    }

    std::unique_ptr<TComponent> report;
    TScriptProbe* probe = nullptr;
    TScriptProbe* child = nullptr;
    TppLabel* label = nullptr;
    TppShape* shape = nullptr;
};

struct Case {
    const char* name;
    const char* body;  ///< the statements of "function F: String;"
    const char* result;
};

TEST_F(ScriptMembers, members_casts_and_handles_read_and_write_through_the_adapters) {
    const Case cases[] = {
        {"property write then read", "Probe1.Caption := 'Total'; Result := Probe1.Caption;", "Total"},
        {"integer into a float property", "Probe1.Width := 3; Result := FloatToStr(Probe1.Width * 2);", "6"},
        {"chain writes the inner object", "Probe1.Child.Caption := 'inner'; Result := Probe2.Caption;", "inner"},
        {"indexed member read", "Result := Probe1.Items[1];", "beta"},
        {"default indexed member", "Result := Probe1[2];", "gamma"},
        {"indexed member write", "Probe1.Items[0] := 'first'; Result := Probe1[0];", "first"},
        {"var parameter of a method comes back",
         "var I: Integer; begin I := -5; if Probe1.Find('gamma', I) then Result := IntToStr(I); end", "2"},
        {"read-only property read", "Result := IntToStr(Probe1.Count);", "3"},
        {"method with a result", "Result := Label1.ClassName;", "TppLabel"},
        {"cast that matches", "Result := TppLabel(Label1).UserName;", "Label1"},
        {"an object kept in a variable is read when the statement runs",
         "var L: TppLabel; begin L := TppLabel(Label1); Result := L.UserName; end", "Label1"},
        {"cast that does not match gives no object",
         "var L: TppLabel; begin L := TppLabel(Shape1); if L = nil then Result := 'none' else Result := 'some'; end",
         "none"},
        {"as that does not match gives no object, member reads nothing",
         "Result := 'kept'; Result := (Shape1 as TppLabel).UserName;", ""},
        {"is", "if (Label1 is TppLabel) and not (Shape1 is TppLabel) then Result := 'yes' else Result := 'no';",
         "yes"},
        {"is on nil is false",
         "var L: TppLabel; begin if L is TppLabel then Result := 'yes' else Result := 'no'; end", "no"},
        {"constructor and free",
         "var P: TScriptProbe; begin P := TScriptProbe.Create(nil); P.Caption := 'made'; Result := P.Caption; "
         "P.Free; end",
         "made"},
        {"a freed object reads as nil",
         "var P: TScriptProbe; begin P := TScriptProbe.Create(nil); P.Free; "
         "if P = nil then Result := 'nil' else Result := 'alive'; end",
         "nil"},
        {"Integer(Obj) converts back to the same object",
         "var N: Integer; P: TScriptProbe; begin N := Integer(Probe1); P := TScriptProbe(N); "
         "Result := P.Items[1]; end",
         "beta"},
        {"any other number gives nil",
         "var N: Integer; P: TScriptProbe; begin N := Integer(Probe1) + 1000; P := TScriptProbe(N); "
         "if P = nil then Result := 'nil' else Result := 'object'; end",
         "nil"},
        {"a handle of a freed object gives nil",
         "var N: Integer; P: TScriptProbe; begin P := TScriptProbe.Create(nil); N := Integer(P); P.Free; "
         "P := TScriptProbe(N); if P = nil then Result := 'nil' else Result := 'object'; end",
         "nil"},
        {"font styles as Booleans",
         "var F: TFont; begin F := TFont.Create; F.Bold := True; F.Italic := True; F.Bold := False; "
         "if F.Italic and not F.Bold and not F.Normal then Result := 'italic'; F.Normal := True; "
         "if F.Normal and not F.Italic then Result := Result + ' normal'; F.Normal := False; "
         "if F.Normal then Result := Result + ' kept'; F.Free; end",
         "italic normal kept"},
        {"a new bitmap", "var B: TBitmap; begin B := TBitmap.Create; if B.Empty then Result := 'empty'; "
         "B.TransparentMode := tmFixed; if B.TransparentMode = tmFixed then Result := Result + ' fixed'; "
         "B.TransparentColor := clRed; if B.TransparentColor = clRed then Result := Result + ' red'; "
         "B.Transparent := True; if B.Transparent then Result := Result + ' transparent'; B.Free; end",
         "empty fixed red transparent"},
        {"currency member", "Probe1.Amount := 12.5; Result := CurrToStr(Probe1.Amount * 2);", "25"},
        {"a variant holds the object",
         "var V: Variant; P: TScriptProbe; begin V := Probe1; P := TScriptProbe(V); Result := P.Items[2]; end",
         "gamma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString body = QString::fromUtf8(c.body);
        const QString source = body.startsWith(QLatin1String("var"))
                                   ? QStringLiteral("function F: String;\n") + body + QStringLiteral(";")
                                   : QStringLiteral("function F: String;\nbegin\n") + body + QStringLiteral("\nend;");
        const script::RunResult r = run(source);
        EXPECT_EQ(r.failure, QString());
        EXPECT_EQ(r.text, QString::fromUtf8(c.result));
    }
    EXPECT_EQ(probe->Caption(), QStringLiteral("Total"));
}

TEST_F(ScriptMembers, free_releases_only_objects_the_script_made) {
    const Case refused[] = {
        {"a report's own component", "Label1.Free; Result := 'x';", "Cannot free Label1"},
        {"through a cast", "TppShape(Shape1).Free; Result := 'x';", "Cannot free Shape1"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        const script::RunResult r =
            run(QStringLiteral("function F: String;\nbegin\n") + QString::fromUtf8(c.body) + QStringLiteral("\nend;"));
        EXPECT_EQ(r.outcome, script::Outcome::Failed);
        EXPECT_TRUE(r.failure.contains(QString::fromUtf8(c.result))) << r.failure.toStdString();
    }
    EXPECT_EQ(report->findChild<QObject*>(QStringLiteral("Label1")), label);
    EXPECT_EQ(report->findChild<QObject*>(QStringLiteral("Shape1")), shape);

    // An object the script made and left stays alive until the job ends.
    QPointer<QObject> left;
    const script::RunResult r = run(QStringLiteral(
        "function F: Integer;\nvar P: TScriptProbe;\nbegin\n  P := TScriptProbe.Create(nil);\n  Result := Integer(P);\nend;"));
    ASSERT_EQ(r.failure, QString());
    left = script::ObjectOfHandle(r.text.toLongLong());
    ASSERT_FALSE(left.isNull()) << r.text.toStdString();
    script::FreeMadeObjects();
    EXPECT_TRUE(left.isNull());
}

TEST_F(ScriptMembers, unknown_members_are_compile_errors) {
    QString error;
    run(QStringLiteral("function F: String;\nbegin\n  Result := Probe1.NoSuchMember;\nend;"), &error);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    run(QStringLiteral("function F: String;\nbegin\n  Result := Probe1.Find;\nend;"), &error);  // arguments missing
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(ScriptMembers, files_are_reached_only_inside_the_script_folders) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString root = tmp.path();
    QDir(root).mkpath(QStringLiteral("scripts/sub"));
    QDir(root).mkpath(QStringLiteral("outside"));
    QFile kept(root + QStringLiteral("/outside/kept.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write("kept\n");
    kept.close();
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/outside"), root + QStringLiteral("/scripts/link")));
    script::SetScriptFolders({root + QStringLiteral("/scripts")});

    struct PathCase {
        const char* name;
        const char* path;  ///< relative to the temporary folder
        bool allowed;
    };
    const PathCase cases[] = {
        {"a new file in the folder", "scripts/new.txt", true},
        {"a sub-folder", "scripts/sub/new.txt", true},
        {"a .. that stays inside", "scripts/sub/../inside.txt", true},
        {"a .. that leaves", "scripts/../outside/made.txt", false},
        {"a link out of the folder", "scripts/link/made.txt", false},
        {"an existing file through a link", "scripts/link/kept.txt", false},
        {"a folder beside it", "outside/kept.txt", false},
        {"a name that only starts like the folder", "scriptsX.txt", false},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = root + QLatin1Char('/') + QString::fromUtf8(c.path);
        const script::RunResult r = run(QStringLiteral("function F: String;\nvar L: TStringList;\nbegin\n"
                                                       "  L := TStringList.Create;\n  L.Add('written');\n"
                                                       "  L.SaveToFile('%1');\n  L.Clear;\n  L.LoadFromFile('%1');\n"
                                                       "  Result := L[0];\nend;")
                                            .arg(path));
        if (c.allowed) {
            EXPECT_EQ(r.failure, QString());
            EXPECT_EQ(r.text, QStringLiteral("written"));
        } else {
            EXPECT_EQ(r.outcome, script::Outcome::Failed);
            EXPECT_TRUE(r.failure.contains(path)) << r.failure.toStdString();
        }
    }
    // Pictures and bitmaps follow the same rule; a picture is saved as the bytes it came from.
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(root + QStringLiteral("/scripts/red.png")));
    ASSERT_TRUE(image.save(root + QStringLiteral("/outside/red.png")));
    script::RunResult r = run(QStringLiteral(
        "function F: String;\nvar P: TPicture; B: TBitmap;\nbegin\n  P := TPicture.Create;\n"
        "  P.LoadFromFile('%1/scripts/red.png');\n  P.SaveToFile('%1/scripts/copy.png');\n"
        "  B := TBitmap.Create;\n  B.LoadFromFile('%1/scripts/red.png');\n  if not B.Empty then Result := 'loaded';\n"
        "  B.SaveToFile('%1/scripts/red.bmp');\nend;").arg(root));
    EXPECT_EQ(r.failure, QString());
    EXPECT_EQ(r.text, QStringLiteral("loaded"));
    QFile original(root + QStringLiteral("/scripts/red.png")), copy(root + QStringLiteral("/scripts/copy.png"));
    ASSERT_TRUE(original.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), original.readAll());
    EXPECT_EQ(QImage(root + QStringLiteral("/scripts/red.bmp")).pixelColor(1, 1), QColor(Qt::red));
    for (const char* cls : {"TPicture", "TBitmap"}) {
        r = run(QStringLiteral("function F: String;\nvar P: %2;\nbegin\n  P := %2.Create;\n"
                               "  P.LoadFromFile('%1/outside/red.png');\n  Result := 'read';\nend;")
                    .arg(root, QString::fromLatin1(cls)));
        EXPECT_EQ(r.outcome, script::Outcome::Failed) << cls;
        EXPECT_TRUE(r.failure.contains(QStringLiteral("/outside/red.png"))) << r.failure.toStdString();
    }

    // The designer settings add their folders after the per-user one.
    QFile ini(root + QStringLiteral("/Marlisk.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[CodeManager]\nScriptFolders=%1/outside; %1/scripts\n").arg(root).toUtf8());
    ini.close();
    script::LoadScriptFolders(root + QStringLiteral("/Marlisk.ini"));
    const QStringList loaded = script::ScriptFolders();
    ASSERT_EQ(loaded.size(), 3);
    EXPECT_TRUE(loaded[0].endsWith(QStringLiteral("/scripts")));
    EXPECT_EQ(loaded.mid(1), (QStringList{root + QStringLiteral("/outside"), root + QStringLiteral("/scripts")}));

    // Nothing was created or truncated outside.
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/outside/made.txt")));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("kept\n"));
    script::SetScriptFolders({});
}

}  // namespace

#include "members_test.moc"
