#include "listreports.h"

#include "templatebuilder.h"

namespace templates
{

using namespace report;

namespace
{

ReportPage page(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation, double left,
                double top, double right, double bottom)
{
    ReportPage p;
    p.paper = paper;
    p.orientation = orientation;
    p.margins = QMarginsF(left, top, right, bottom);
    return p;
}

// Today's date, right-aligned in the top right corner.
Text date(double x0, double x1, double h = 4)
{
    return Text(x0, x1, 0, h, QStringLiteral("[DATE]")).font(arial(8)).right();
}

Text pageNumber(double x0, double x1, double y)
{
    return Text(x0, x1, y, 4, QStringLiteral("Sayfa: [PAGE#] / [TOTALPAGES#]"))
        .font(arial(8))
        .right();
}

Text title(double width, double y, const QString &text, double size = 11)
{
    return Text(0, width, y, 6, text).font(arial(size, true)).centred();
}

// A cell of a list row: one line, vertically centred in the row, cut off when too long.
Text cell(double x0, double x1, double rowHeight, const QString &text, double size = 9)
{
    return Text(x0, x1, 0, rowHeight, text).font(arial(size)).middle();
}

Text heading(double x0, double x1, double y, const QString &text, bool bold = false)
{
    return Text(x0, x1, y, 5, text).font(arial(10, bold)).middle();
}

} // namespace

ReportTemplate unitList()
{
    ReportTemplate report(QStringLiteral("RKurum"), QStringLiteral("BİRİMLER LİSTESİ"));
    ReportPage p = page(QPageSize::A4, QPageLayout::Portrait, 25, 20, 25, 20);
    const double row = 5.5;
    p.bands = {
        band(BandKind::ReportTitle, 21,
             {date(134, 159), title(160, 3, QStringLiteral("BİRİMLER LİSTESİ")),
              rectangle(0, 160, 15, 5), heading(10, 94, 15, QStringLiteral("BİRİM ADI"), true),
              heading(94, 136, 15, QStringLiteral("BİRİM MÜDÜRÜ"), true),
              heading(136, 160, 15, QStringLiteral("TELEFONU"), true)}),
        band(BandKind::MasterData, row,
             {cell(0, 10, row, QStringLiteral("[LINE#]"), 8).centred(),
              cell(10, 91, row, field(kKurumlar, QStringLiteral("okul_adi"))),
              cell(94, 134, row, field(kKurumlar, QStringLiteral("okul_muduru"))),
              cell(136, 160, row, field(kKurumlar, QStringLiteral("telefonu"))),
              line(1, 160, row, true)},
             kKurumlar),
        band(BandKind::PageFooter, 7,
             {line(0, 160, 0),
              Text(0, 80, 1.5, 4, QStringLiteral("Kurum Sayısı: [LINE#]")).font(arial(8)),
              pageNumber(134, 159, 1.5)}),
    };
    report.pages.push_back(std::move(p));
    return report;
}

ReportTemplate unitStaffList()
{
    ReportTemplate report(QStringLiteral("RKurumPersonel"),
                          QStringLiteral("BİRİM / PERSONEL LİSTESİ"));
    ReportPage p = page(QPageSize::A4, QPageLayout::Portrait, 20, 20, 20, 20);
    const double row = 5.5;
    // The unit box: label, " : " and the value of the selected unit, one line each.
    auto unitLine = [](double y, const QString &label, const QString &column) {
        return std::vector<ReportObject>{
            Text(4, 28, y, 5, label).font(arial(10)),
            Text(28, 31, y, 5, QStringLiteral(" : ")).font(arial(10)).padding(0, 0.25, 0, 0.25),
            Text(31, 169, y, 5, field(kKurumlar, column)).font(arial(10, true))};
    };
    Band top = band(BandKind::ReportTitle, 50,
                    {date(144, 169), title(170, 4, QStringLiteral("BİRİM / PERSONEL LİSTESİ")),
                     rectangle(0, 170, 16, 19)});
    for (const auto &line :
         {unitLine(17, QStringLiteral("Birim Adı"), QStringLiteral("okul_adi")),
          unitLine(23, QStringLiteral("Birim Müdürü"), QStringLiteral("okul_muduru")),
          unitLine(29, QStringLiteral("Telefonu"), QStringLiteral("telefonu"))})
        top.objects.insert(top.objects.end(), line.begin(), line.end());
    const std::vector<ReportObject> headings = {
        Text(0, 170, 39, 5, QStringLiteral("BİRİM PERSONEL LİSTESİ"))
            .font(arial(10, true))
            .centred(),
        rectangle(0, 170, 44, 5),
        heading(13, 51, 44, QStringLiteral("Adı Soyadı")),
        heading(51, 80, 44, QStringLiteral("Sendikası")),
        heading(80, 113, 44, QStringLiteral("Branşı")),
        heading(113, 141, 44, QStringLiteral("Cep Telefonu")),
        heading(141, 170, 44, QStringLiteral("Ev Telefonu"))};
    top.objects.insert(top.objects.end(), headings.begin(), headings.end());
    p.bands = {
        std::move(top),
        band(BandKind::MasterData, row,
             {cell(4, 12, row, QStringLiteral("[LINE#]")),
              cell(13, 50, row, field(kUyeler, QStringLiteral("Birlestir"))),
              cell(51, 78, row, field(kUyeler, QStringLiteral("sendikasi"))),
              cell(80, 111, row, field(kUyeler, QStringLiteral("bransi"))),
              cell(113, 139, row, field(kUyeler, QStringLiteral("cep_tel"))),
              cell(141, 167, row, field(kUyeler, QStringLiteral("ev_tel"))),
              line(1, 170, row, true)},
             kUyeler),
        band(BandKind::PageFooter, 7,
             {line(0, 170, 0),
              Text(0, 80, 1.5, 4, QStringLiteral("Personel Sayısı: [LINE#]")).font(arial(8)),
              pageNumber(144, 169, 1.5)}),
    };
    report.pages.push_back(std::move(p));
    return report;
}

ReportTemplate staffList()
{
    ReportTemplate report(QStringLiteral("RPersonelListe"), QStringLiteral("ÖZEL LİSTE"));
    ReportPage p = page(QPageSize::A4, QPageLayout::Landscape, 15, 20, 15, 20);
    const double row = 5.5;
    p.bands = {
        band(BandKind::ReportTitle, 22,
             {date(241, 266), title(267, 4, QStringLiteral("ÖZEL LİSTE")), rectangle(0, 267, 15, 5),
              heading(10, 49, 15, QStringLiteral("Adı Soyadı")),
              heading(49, 85, 15, QStringLiteral("Sendikası")),
              heading(85, 117, 15, QStringLiteral("Branşı")),
              heading(117, 143, 15, QStringLiteral("Cep Telefonu")),
              heading(143, 170, 15, QStringLiteral("Ev Telefonu")),
              heading(170, 267, 15, QStringLiteral("Çalıştığı Birim"))}),
        band(BandKind::MasterData, row,
             {cell(2, 10, row, QStringLiteral("[LINE#]")),
              cell(10, 48, row, field(kPersonel, QStringLiteral("Birlestir"))),
              cell(49, 84, row, field(kPersonel, QStringLiteral("sendikasi"))),
              cell(85, 116, row, field(kPersonel, QStringLiteral("bransi"))),
              cell(117, 143, row, field(kPersonel, QStringLiteral("cep_tel"))),
              cell(143, 169, row, field(kPersonel, QStringLiteral("ev_tel"))),
              cell(170, 266, row, field(kPersonel, QStringLiteral("calistigi_kurum"))),
              line(1, 267, row, true)},
             kPersonel),
        band(BandKind::PageFooter, 6, {line(0, 267, 0), pageNumber(236, 267, 1)}),
    };
    report.pages.push_back(std::move(p));
    return report;
}

ReportTemplate bloodGroupList()
{
    ReportTemplate report(QStringLiteral("RKan"), QStringLiteral("KAN GRUBU LİSTESİ"));
    ReportPage p = page(QPageSize::Letter, QPageLayout::Portrait, 20, 25, 20, 20);
    const double row = 5;
    auto heading = [](double x0, double x1, const QString &text) {
        return Text(x0, x1, 3, 4, text).font(arial(9, true)).framed(BottomSide).bottom();
    };
    Band title = band(BandKind::ReportTitle, 8,
                      {Text(0, 175.9, 0, 5.3, QStringLiteral("KAN GRUBU LİSTESİ"))
                           .font(arial(12, true))
                           .centred()
                           .bottom()
                           .fill(QColor(192, 192, 192)),
                       date(150, 175, 5.3)});
    title.child = 1;
    p.bands = {
        std::move(title),
        band(BandKind::Child, 8,
             {heading(0, 34, QStringLiteral("Adı Soyadı ")),
              heading(36, 54, QStringLiteral("Kan Grubu")),
              heading(56, 78, QStringLiteral("Cep Telefonu")),
              heading(80, 102, QStringLiteral("Ev Telefonu")),
              heading(104, 126, QStringLiteral("İş Telefonu")),
              heading(128, 176, QStringLiteral("Çalıştığı Birim"))}),
        band(BandKind::MasterData, row,
             {// behind the row: shaded on rows 1, 3, 5 ...
              Text(0, 176.3, 0, row).oddRowFill(QColor(240, 240, 240)),
              cell(0, 35, row, field(kPersonel, QStringLiteral("Birlestir"))),
              cell(36, 54, row, field(kPersonel, QStringLiteral("kan_grubu"))).font(arial(9, true)),
              cell(56, 78, row, field(kPersonel, QStringLiteral("cep_tel")), 8),
              cell(80, 102, row, field(kPersonel, QStringLiteral("ev_tel")), 8),
              cell(104, 126, row, field(kPersonel, QStringLiteral("isyeri_tel")), 8),
              cell(128, 176, row, field(kPersonel, QStringLiteral("calistigi_kurum")), 8)},
             kPersonel),
        band(BandKind::Footer, 6,
             {line(0, 175.9, 2), Text(131, 176, 2, 4, QStringLiteral("Toplam: [LINE#] kayıt."))
                                     .font(arial(8))
                                     .right()}),
    };
    report.pages.push_back(std::move(p));
    return report;
}

ReportTemplate recordCard(bool ofUnitStaff)
{
    const QString source = ofUnitStaff ? kUyeler : kPersonel;
    ReportTemplate report(ofUnitStaff ? QStringLiteral("RKisiselUye") : QStringLiteral("RKisisel"),
                          QStringLiteral("KİŞİSEL BİLGİ FORUMU"));
    ReportPage p = page(QPageSize::A4, QPageLayout::Portrait, 25, 25, 25, 25);

    std::vector<ReportObject> summary;
    auto add = [&summary](const ReportObject &object) { summary.push_back(object); };
    // A framed box with its caption 4.5 mm above it.
    auto box = [&](double x0, double x1, double y, double h, const QString &caption) {
        add(Text(x0, x1, y - 4.5, 4.5, caption).font(arial(9)));
        add(rectangle(x0, x1, y, h));
    };
    // Entries of a box column, 5 mm apart from 3 mm below the box's top: label, ":" and
    // the value. An entry may have its own value size and wrap onto more lines.
    struct Entry {
        QString label;
        QString column;
        double width = 0; // 0: the column's
        double height = 4.5;
    };
    auto entries = [&](double boxTop, double labelX, double colonX, double valueX, double width,
                       std::initializer_list<Entry> list) {
        double y = boxTop + 3;
        for (const Entry &entry : list) {
            add(Text(labelX, colonX, y, 4.5, entry.label).font(arial(9)));
            add(Text(colonX, valueX, y, 4.5, QStringLiteral(":")).font(arial(9)));
            Text value(valueX, valueX + (entry.width > 0 ? entry.width : width), y, entry.height,
                       field(source, entry.column));
            value.font(arial(9, true));
            if (entry.height > 4.5)
                value.wrapped();
            add(value);
            y += 5;
        }
    };
    const QString workplace =
        ofUnitStaff ? QStringLiteral("Çalıştığı Birim") : QStringLiteral("Çalıştığı Kurum");

    box(0, 79, 8, 28, QStringLiteral("Meslek Bilgileri"));
    entries(8, 4, 27, 30, 40,
            {{QStringLiteral("Branşı"), QStringLiteral("bransi")},
             {QStringLiteral("İş Unavanı"), QStringLiteral("unvani")},
             {QStringLiteral("Hizmet Yılı"), QStringLiteral("hizmet_yili")},
             {workplace, QStringLiteral("calistigi_kurum"), 47, 8}});
    box(81, 160, 8, 28, QStringLiteral("Sendika Bilgileri"));
    entries(8, 85, 119, 122, 36,
            {{QStringLiteral("Kayıtlı Olduğu Sendika"), QStringLiteral("sendikasi")},
             {QStringLiteral("Sendika Kayıt Tarihi"), QStringLiteral("sendika_kayit_tarihi")}});
    box(0, 160, 43, 30, QStringLiteral("İrtibat Bilgileri"));
    entries(43, 4, 27, 30, 40,
            {{QStringLiteral("Cep Telefonu"), QStringLiteral("cep_tel")},
             {QStringLiteral("Ev Telefonu"), QStringLiteral("ev_tel")},
             {QStringLiteral("İş Telefonu"), QStringLiteral("isyeri_tel")},
             {QStringLiteral("Çalıştığı Birim"), QStringLiteral("calistigi_kurum"), 121},
             {QStringLiteral("Ev Adresi"), QStringLiteral("ev_adresi"), 121}});
    entries(43, 85, 108, 111, 47,
            {{QStringLiteral("Çalıştığı İl"), QStringLiteral("calistigi_il")},
             {QStringLiteral("E-Posta Adresi"), QStringLiteral("emaili")}});
    box(0, 160, 80, 34, QStringLiteral("Aile / Kimlik Bilgileri"));
    entries(80, 4, 27, 30, 40,
            {{QStringLiteral("TC Kimlik No"), QStringLiteral("tc_kimlik")},
             {QStringLiteral("Doğum Yeri"), QStringLiteral("dogum_yeri")},
             {QStringLiteral("Doğum Tarihi"), QStringLiteral("dogum_tarihi")},
             {QStringLiteral("Cinsiyeti"), QStringLiteral("cinsiyeti")},
             {QStringLiteral("Baba Adı"), QStringLiteral("baba_adi")},
             {QStringLiteral("Ana Adı"), QStringLiteral("anne_adi")}});
    entries(80, 85, 108, 111, 47,
            {{QStringLiteral("Medeni Durumu"), QStringLiteral("medeni_durumu")},
             {QStringLiteral("Eşinin Mesleği"), QStringLiteral("esinin_meslegi")},
             {QStringLiteral("Eşinin Kurumu"), QStringLiteral("esinin_kurumu"), 47, 9}});
    box(0, 160, 121, 32, QStringLiteral("Hakkında Notlar"));
    add(Text(4, 157, 123, 28, field(source, QStringLiteral("hakkinda"))).font(arial(9)).wrapped());

    p.bands = {
        band(BandKind::ReportTitle, 23,
             {date(134, 159), title(160, 5, QStringLiteral("KİŞİSEL BİLGİ FORUMU"), 12),
              rectangle(0, 160, 16, 6),
              Text(5, 27, 16, 6, QStringLiteral("Adı Soyadı :")).font(arial(10, true)).middle(),
              // The name may run to the frame's right edge: a long full name prints whole.
              Text(27, 159, 16, 6, field(source, QStringLiteral("Birlestir")))
                  .font(arial(10, true))
                  .middle()}),
        band(BandKind::Summary, 158, std::move(summary)),
    };
    report.pages.push_back(std::move(p));
    return report;
}

} // namespace templates
