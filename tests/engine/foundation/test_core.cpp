#include <gtest/gtest.h>

#include <windows.h>

#include "engine/foundation/Error.h"
#include "engine/foundation/ExecutableDirectory.h"
#include "engine/foundation/ObjectManager.h"
#include "engine/foundation/Vector.h"

using namespace KorvaneEngine;

TEST(Errors, FamilyAndMessages)
{
    try {
        throw FileError("Failed to open \"a.bin\" file");
    } catch (const Error& e) {
        EXPECT_EQ(e.GetMessage(), "Failed to open \"a.bin\" file");
        EXPECT_NE(dynamic_cast<const FileError*>(&e), nullptr);
    }
    bool caughtAsStd = false, caughtAsError = false;
    try {
        try {
            throw FatalError("");
        } catch (const std::exception&) {
            caughtAsStd = true;
        }
    } catch (const Error& e) {
        caughtAsError = true;
        EXPECT_EQ(e.GetMessage(), "");
    }
    EXPECT_FALSE(caughtAsStd);
    EXPECT_TRUE(caughtAsError);
    FatalError a("copy me");
    FatalError b = a;
    EXPECT_EQ(b.GetMessage(), "copy me");
}

TEST(ProgramFolder, IsTheExecutablesFolder)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string dir = GetExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    EXPECT_EQ(dir + "\\test_core.exe", std::string(path));
    EXPECT_EQ(DirectoryOfPath("C:\\Games\\Run\\game.exe"), "C:\\Games\\Run");
}

TEST(Vectors, ToleranceAndHelpers)
{
    EXPECT_EQ(IsEqual(1.0f, 1.0001f), 0.0f);
    EXPECT_EQ(IsEqual(1.0f, 1.00005f), 1.0f);
    EXPECT_FALSE(Vector3(1, 2, 3) != Vector3(1.00001f, 2, 3));
    EXPECT_TRUE(Vector3(1, 2, 3) != Vector3(1, 2, 3.001f));
    EXPECT_TRUE(Vector3(1, 2, 3) == Vector3(1.00001f, 2, 3));
    // Min and Max hand back the second argument on a tie (observable with -0/+0).
    EXPECT_TRUE(std::signbit(Min(0.0f, -0.0f)));
    EXPECT_TRUE(std::signbit(Max(0.0f, -0.0f)));
    EXPECT_EQ(Min(1.0f, 2.0f), 1.0f);
    EXPECT_EQ(Max(1.0f, 2.0f), 2.0f);
}

TEST(Vectors, LengthsAndProducts)
{
    Vector3 v(3, 4, 0);
    v.SetLength(1.0f);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.8f);
    Vector3 z(0, 0, 0);
    z.SetLength(1.0f);
    EXPECT_EQ(z.x, 0.0f);
    Vector3 tiny(0.00005f, 0, 0);
    tiny.SetLength(2.0f);
    EXPECT_EQ(tiny.x, 0.00005f);
    Vector2 w(3, 4);
    EXPECT_FLOAT_EQ(w.GetLength(), 5.0f);
    w.SetLength(10.0f);
    EXPECT_FLOAT_EQ(w.x, 6.0f);
    Vector3 c = Vector3::Cross(Vector3(1, 0, 0), Vector3(0, 1, 0));
    EXPECT_FALSE(c != Vector3(0, 0, 1));
    EXPECT_FLOAT_EQ(Vector3::Dot(Vector3(1, 2, 3), Vector3(4, 5, 6)), 32.0f);
    EXPECT_FLOAT_EQ(Vector2::Dot(Vector2(1, 2), Vector2(3, 4)), 11.0f);
    Vector3 a(1, 2, 3), b(5, 6, 7);
    EXPECT_FALSE(Vector3::Lerp(a, b, 0) != a);
    EXPECT_FALSE(Vector3::Lerp(a, b, 1) != b);
    EXPECT_FALSE(Vector3::Lerp(a, b, 2) != b * 2.0f - a);
    Vector2 q = Vector2::QuadraticBezier(Vector2(0, 0), Vector2(1, 2), Vector2(2, 0), 0.5f);
    EXPECT_FLOAT_EQ(q.x, 1.0f);
    EXPECT_FLOAT_EQ(q.y, 1.0f);
    Vector2 s = Vector2(1, 2) * 3;
    EXPECT_FLOAT_EQ(s.y, 6.0f);
    Vector3 d = Vector3(2, 4, 6) / Vector3(2, 2, 2);
    EXPECT_FALSE(d != Vector3(1, 2, 3));
    d += Vector3(1, 1, 1);
    EXPECT_FALSE(-d != Vector3(-2, -3, -4));
    EXPECT_FLOAT_EQ(Vector3(1, 2, 2).GetSquaredLength(), 9.0f);
}

TEST(Vectors, WideningAndColours)
{
    Vector3 v3 = Vector2(5, 6);
    EXPECT_EQ(v3.z, 0.0f);
    EXPECT_EQ(v3.y, 6.0f);
    Vector4 v4(9, 9, 9, 9);
    v4 = Vector3(1, 2, 3);
    EXPECT_EQ(v4.w, 0.0f);
    EXPECT_EQ(v4.z, 3.0f);
    Vector2 n(Vector3(7, 8, 9));
    EXPECT_EQ(n.y, 8.0f);
    Vector3 m(Vector4(1, 2, 3, 4));
    EXPECT_EQ(m.z, 3.0f);
    Color c(0.1f, 0.2f, 0.3f, 1.0f);
    EXPECT_EQ(c.r, c.x);
    EXPECT_EQ(c.a, 1.0f);
    EXPECT_EQ(c[2], 0.3f);
    float out[3];
    Vector3(4, 5, 6).CopyTo(out);
    EXPECT_EQ(out[2], 6.0f);
    Vector2i p(3, -4);
    EXPECT_EQ(p[1], -4);
}

namespace {
struct Item {
    explicit Item(int* deaths) : deaths_(deaths) {}
    virtual ~Item() { ++*deaths_; }
    int* deaths_;
};
struct Service : GlobalPointerHolder<Service> {};
} // namespace

TEST(ObjectRegistry, SlotReuseAndCompaction)
{
    int deaths = 0;
    Item *a = new Item(&deaths), *b = new Item(&deaths), *c = new Item(&deaths), *d = new Item(&deaths);
    {
        ObjectManager<Item> m;
        m.AddObject(a); m.AddObject(b); m.AddObject(c);
        EXPECT_TRUE(m.RemoveObject(b));
        m.AddObject(d);
        EXPECT_EQ(m.GetObjects(), (std::vector<Item*>{a, d, c}));
        EXPECT_FALSE(m.RemoveObject(b));
        EXPECT_FALSE(m.RemoveObject(nullptr));
        m.AddObject(nullptr);
        EXPECT_EQ(m.GetCount(), 3u);
        delete b;
    }
    EXPECT_EQ(deaths, 4); // b by hand, a c d by the registry

    deaths = 0;
    Item* e;
    {
        ObjectManager<Item> m;
        a = new Item(&deaths); b = new Item(&deaths); c = new Item(&deaths); d = new Item(&deaths);
        e = new Item(&deaths);
        m.AddObject(a); m.AddObject(b); m.AddObject(c); m.AddObject(d);
        m.RemoveObject(a);
        m.RemoveObject(c); // 2 * 2 is not below 4: no compaction
        m.AddObject(e);    // takes the last freed slot
        EXPECT_EQ(m.GetObjects(), (std::vector<Item*>{nullptr, b, e, d}));
        delete a; delete c;
    }
    EXPECT_EQ(deaths, 5);

    {
        ObjectManager<Item> m;
        a = new Item(&deaths); b = new Item(&deaths); c = new Item(&deaths); d = new Item(&deaths);
        m.AddObject(a); m.AddObject(b); m.AddObject(c); m.AddObject(d);
        m.RemoveObject(a);
        m.RemoveObject(b);
        EXPECT_EQ(m.GetObjects().size(), 4u);
        m.RemoveObject(c); // 1 * 2 < 4: compacted, free stack emptied
        EXPECT_EQ(m.GetObjects(), (std::vector<Item*>{d}));
        m.AddObject(a);
        EXPECT_EQ(m.GetObjects(), (std::vector<Item*>{d, a}));
        delete b; delete c;
    }
}

TEST(ObjectRegistry, GlobalPointer)
{
    EXPECT_EQ(Service::Instance(), nullptr);
    Service s;
    EXPECT_EQ(Service::Instance(&s), &s);
    EXPECT_EQ(Service::Instance(nullptr), &s);
    Service::ResetInstance(&s);
    EXPECT_EQ(Service::Instance(), nullptr);
    std::vector<Item*> v;
    int deaths = 0;
    v.push_back(new Item(&deaths));
    v.push_back(nullptr);
    v.push_back(new Item(&deaths));
    DeleteAll(v);
    EXPECT_EQ(deaths, 2);
    EXPECT_TRUE(v.empty());
}
