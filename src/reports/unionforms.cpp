#include "unionforms.h"

#include "reports/engine/textmetrics.h"
#include "templatebuilder.h"

#include <QHash>

namespace templates
{

using namespace report;

namespace
{

enum class Form { Membership, Resignation };

// The dotted line of the blank forms' date box.
const QString kBlankDate = QStringLiteral("....... / ....... / 20....");

// ---------------------------------------------------------------- what the named boxes show

QString member(const QString &column)
{
    return field(kPersonel, column);
}

QString workplace(const QString &column)
{
    return field(kSabit, column);
}

// The filled forms' boxes; the blank forms print them empty, apart from the dotted date line,
// and the print driver writes the chosen fixed values into them.
QHash<QString, QString> boxContents(Form form, bool filled)
{
    if (!filled)
        return {{QStringLiteral("MTarih"), kBlankDate}};
    QHash<QString, QString> contents = {
        {QStringLiteral("MHizmet"), workplace(QStringLiteral("hizmet_kolu"))},
        {QStringLiteral("MHizmet2"), workplace(QStringLiteral("hizmet_kolu"))},
        {QStringLiteral("MKurum"), workplace(QStringLiteral("Kurum_Adi"))},
        {QStringLiteral("MKurumKod"), workplace(QStringLiteral("kurum_kodu"))},
        {QStringLiteral("MIl"), workplace(QStringLiteral("ili"))},
        {QStringLiteral("MIlKod"), workplace(QStringLiteral("il_kodu"))},
        {QStringLiteral("MBirim"), member(QStringLiteral("calistigi_kurum"))},
        {QStringLiteral("MBirimAdres"), member(QStringLiteral("kurum_adresi"))},
        {QStringLiteral("MIlce"), member(QStringLiteral("ilcesi"))},
        {QStringLiteral("MAd"), member(QStringLiteral("adi"))},
        {QStringLiteral("MSoyad"), member(QStringLiteral("soyadi"))},
        {QStringLiteral("MKimlik"), member(QStringLiteral("tc_kimlik"))},
        {QStringLiteral("MBaba"), member(QStringLiteral("baba_adi"))},
        {QStringLiteral("MAna"), member(QStringLiteral("anne_adi"))},
        {QStringLiteral("MDTarihi"), member(QStringLiteral("dogum_tarihi"))},
        {QStringLiteral("MDYeri"), member(QStringLiteral("dogum_yeri"))},
        {QStringLiteral("MSicil"), member(QStringLiteral("kurum_sicil"))},
        {QStringLiteral("MKadro"), member(QStringLiteral("unvani"))},
        {QStringLiteral("MKadroUnvan"), member(QStringLiteral("unvan_kodu"))},
        {QStringLiteral("MEmekli"), member(QStringLiteral("emekli_sandigi"))},
        {QStringLiteral("MSsk"), member(QStringLiteral("ssk"))},
    };
    if (form == Form::Membership) {
        // The workplace's union, and the member's own registration date.
        contents.insert(QStringLiteral("MSendika"), workplace(QStringLiteral("sendikasi")));
        contents.insert(QStringLiteral("MSendikaAdres"),
                        workplace(QStringLiteral("sendika_adresi")));
        contents.insert(QStringLiteral("MTarih"), member(QStringLiteral("sendika_kayit_tarihi")));
    } else {
        // The union the member leaves; the date is the day of printing (the print driver).
        contents.insert(QStringLiteral("MSendika"), member(QStringLiteral("sendikasi")));
        contents.insert(QStringLiteral("MSendikaAdres"), member(QStringLiteral("sendika_adresi")));
    }
    return contents;
}

// ---------------------------------------------------------------- page 1: cells

// One cell of a form row, from x0 to x1.
struct Cell {
    enum class Kind { Label, Boxes, Code, EmptyBoxes } kind = Kind::Label;
    double x0 = 0, x1 = 0;
    QString text; // a label's text, or the name of a field's box
    bool centred = false;
    FontSpec font = arial(8);
};

// A label: framed, vertically centred, left-aligned with a small indent.
Cell label(double x0, double x1, const QString &text, const FontSpec &font = arial(8))
{
    return Cell{Cell::Kind::Label, x0, x1, text, false, font};
}

Cell centred(double x0, double x1, const QString &text, const FontSpec &font = arial(8))
{
    return Cell{Cell::Kind::Label, x0, x1, text, true, font};
}

// A character-box field: 5 mm boxes, one character in each.
Cell boxes(double x0, double x1, const QString &name)
{
    return Cell{Cell::Kind::Boxes, x0, x1, name};
}

// A code field: two 6 mm boxes, one digit in each; 10 pt in the union section, 8 pt in the
// institution section.
Cell code(double x0, double x1, const QString &name, double size)
{
    return Cell{Cell::Kind::Code, x0, x1, name, false, arial(size)};
}

Cell emptyBoxes(double x0, double x1)
{
    return Cell{Cell::Kind::EmptyBoxes, x0, x1, QString()};
}

QString blanks(int count)
{
    return QString(count, QLatin1Char(' '));
}

// Page 1 of a form: one report title band filling the printable area.
class FormSheet
{
public:
    explicit FormSheet(QHash<QString, QString> contents) : m_contents(std::move(contents)) {}

    std::vector<ReportObject> objects;

    void add(const ReportObject &object) { objects.push_back(object); }

    void heading(double y, const QString &text)
    {
        add(Text(0, 160, y, 6, text).font(arial(10, true)).framed().centred().middle());
    }

    void row(double y, double h, std::initializer_list<Cell> cells)
    {
        for (const Cell &cell : cells)
            addCell(cell, y, h);
    }

    void tick(double x, double y, const QString &name)
    {
        add(Text(x, x + 4, y, 4, m_contents.value(name))
                .named(name)
                .font(courierNew(12, true))
                .framed()
                .centred()
                .middle()
                .padding(0, 0, 0, 0));
    }

    // A box of the signature table: framed, its lines starting 1.3 mm below its top.
    void signatureCell(double x0, double x1, double y, double h, const QString &text,
                       bool centredText = false)
    {
        Text cell(x0, x1, y, h, text);
        cell.font(arial(8)).framed().padding(0.5, 1.3, 0.5, 0.25);
        if (centredText)
            cell.centred();
        add(cell);
    }

    void signatureHeadings(double y, std::initializer_list<Cell> cells)
    {
        for (const Cell &cell : cells)
            add(Text(cell.x0, cell.x1, y, 6, cell.text)
                    .font(arial(9, true))
                    .framed()
                    .centred()
                    .middle());
    }

    QString contentOf(const QString &name) const { return m_contents.value(name); }

private:
    void addCell(const Cell &cell, double y, double h)
    {
        switch (cell.kind) {
        case Cell::Kind::Label: {
            Text label(cell.x0, cell.x1, y, h, cell.text);
            label.font(cell.font).framed().middle();
            if (cell.centred)
                label.centred();
            else
                label.indent(1);
            add(label);
            break;
        }
        case Cell::Kind::Boxes:
            addBoxes(cell.x0, cell.x1, y, h, 5);
            add(Text(cell.x0, cell.x1, y, h, m_contents.value(cell.text))
                    .named(cell.text)
                    .font(courierNew(11, true))
                    .framed()
                    .middle()
                    .padding(0, 0, 0, 0)
                    .indent(1)
                    .spacing(2.67));
            break;
        case Cell::Kind::Code:
            addBoxes(cell.x0, cell.x1, y, h, (cell.x1 - cell.x0) / 2);
            add(Text(cell.x0, cell.x1, y, h, m_contents.value(cell.text))
                    .named(cell.text)
                    .font(cell.font)
                    .framed()
                    .middle()
                    .padding(0, 0, 0, 0)
                    .indent(2.1)
                    .spacing(cell.font.size >= 10 ? 3.2 : 3.7));
            break;
        case Cell::Kind::EmptyBoxes:
            addBoxes(cell.x0, cell.x1, y, h, 5);
            break;
        }
    }

    void addBoxes(double x0, double x1, double y, double h, double width)
    {
        for (double x = x0; x < x1 - 0.01; x += width)
            add(rectangle(x, x + width, y, h));
    }

    QHash<QString, QString> m_contents;
};

// The rows that both forms share, from the union section down to the institution codes; the
// province rows among them differ and are the caller's.
void unionAndInstitutionRows(FormSheet &s)
{
    s.heading(27, QStringLiteral("SENDİKA BİLGİLERİ"));
    s.row(33, 8,
          {centred(0, 12, QStringLiteral("HİZMET\nKOLU")),
           centred(12, 30, QStringLiteral("SENDİKA\nADI")),
           boxes(30, 145, QStringLiteral("MSendika")),
           centred(145, 160, QStringLiteral("DOSYA NO"))});
    s.row(41, 8,
          {code(0, 12, QStringLiteral("MHizmet"), 10),
           centred(12, 30, QStringLiteral("SENDİKA\nADRESİ")),
           boxes(30, 145, QStringLiteral("MSendikaAdres")), emptyBoxes(145, 160)});
    s.heading(56, QStringLiteral("KURUM BİLGİLERİ"));
    s.row(
        62, 8,
        {label(0, 30, QStringLiteral("  KURUMUN ADI")), boxes(30, 160, QStringLiteral("MKurum"))});
    s.row(70, 8,
          {label(0, 30, QStringLiteral("  GÖREV YAPILAN\n  BİRİMİN ADI")),
           boxes(30, 160, QStringLiteral("MBirim"))});
    s.row(78, 8,
          {label(0, 30, QStringLiteral("  GÖREV YAPILAN\n  BİRİMİN ADRESİ")),
           boxes(30, 160, QStringLiteral("MBirimAdres"))});
    s.row(92, 8,
          {centred(0, 12, QStringLiteral("Hizmet\nKolu")),
           centred(18, 30, QStringLiteral("Kurum\nKodu"))});
    s.row(
        100, 4,
        {code(0, 12, QStringLiteral("MHizmet2"), 8), code(18, 30, QStringLiteral("MKurumKod"), 8)});
}

struct Span {
    double x0, x1;
};

// The province, its code and the district: labels over their rows of boxes, which stand a
// little differently on the two forms.
void provinceRows(FormSheet &s, Span province, Span code, Span district)
{
    s.row(92, 4,
          {centred(province.x0, province.x1, QStringLiteral("İL ADI")),
           centred(code.x0, code.x1, QStringLiteral("İl Kodu")),
           centred(district.x0, district.x1, QStringLiteral("İLÇE ADI"))});
    s.row(96, 8,
          {boxes(province.x0, province.x1, QStringLiteral("MIl")),
           boxes(code.x0, code.x1, QStringLiteral("MIlKod")),
           boxes(district.x0, district.x1, QStringLiteral("MIlce"))});
}

void membershipRows(FormSheet &s)
{
    s.heading(110, QStringLiteral("ÜYELİK BİLGİLERİ"));
    s.row(116, 6, {label(0, 30, QStringLiteral("ADI")), boxes(30, 160, QStringLiteral("MAd"))});
    s.row(122, 6,
          {label(0, 30, QStringLiteral("SOYADI")), boxes(30, 160, QStringLiteral("MSoyad"))});
    s.row(
        128, 6,
        {label(0, 30, QStringLiteral("TC KİMLİK NO")), boxes(30, 160, QStringLiteral("MKimlik"))});
    s.row(134, 6,
          {label(0, 30, QStringLiteral("BABA ADI")), boxes(30, 80, QStringLiteral("MBaba")),
           label(80, 100, QStringLiteral("ANA ADI")), boxes(100, 160, QStringLiteral("MAna"))});
    s.row(140, 6,
          {label(0, 30, QStringLiteral("DOĞUM TARİHİ")), boxes(30, 80, QStringLiteral("MDTarihi")),
           label(80, 100, QStringLiteral("DOĞUM YERİ")),
           boxes(100, 160, QStringLiteral("MDYeri"))});
    s.row(146, 6,
          {label(0, 30, QStringLiteral("CİNSİYETİ")),
           label(30, 95, blanks(25) + QStringLiteral("ERKEK:1")),
           label(95, 160, blanks(25) + QStringLiteral("KADIN:2"))});
    s.tick(67, 147, QStringLiteral("MErkek"));
    s.tick(133, 147, QStringLiteral("MKadin"));
    s.row(152, 6,
          {label(0, 30, QStringLiteral("ÖĞRENİM")),
           label(30, 110, QStringLiteral("İLKÖĞRETİM:1") + blanks(37) + QStringLiteral("LİSE:2")),
           label(110, 160, QStringLiteral("YÜKSEK OKUL:3"))});
    s.tick(55, 153, QStringLiteral("MIlkogretim"));
    s.tick(97, 153, QStringLiteral("MLise"));
    s.tick(145, 153, QStringLiteral("MYuksekOkul"));
    s.row(158, 6,
          {label(0, 30, QStringLiteral("KURUM SİCİL")), boxes(30, 160, QStringLiteral("MSicil"))});
    s.row(164, 6,
          {label(0, 30, QStringLiteral("KADRO ÜNVANI")), boxes(30, 110, QStringLiteral("MKadro")),
           centred(110, 140, QStringLiteral("KADRO ÜNVANI KODU"), arial(7)),
           boxes(140, 160, QStringLiteral("MKadroUnvan"))});
    s.row(176, 6,
          {label(0, 60, QStringLiteral(" SOSYAL GÜVENLİK KURUMU"), arial(10, true)),
           label(60, 160, QStringLiteral(" SOSYAL GÜVENLİK SİCİL NUMARASI"), arial(10, true))});
    s.row(182, 6,
          {label(0, 60, QStringLiteral("1 : T.C. EMEKLİ SANDIĞI")),
           boxes(60, 160, QStringLiteral("MEmekli"))});
    s.row(188, 6,
          {label(0, 60, QStringLiteral("2 : SOSYAL SİGORTALAR KURUMU")),
           boxes(60, 160, QStringLiteral("MSsk"))});
}

void membershipSignatures(FormSheet &s)
{
    s.signatureHeadings(199, {centred(0, 47, QStringLiteral("KAMU GÖREVLİSİNİN İMZASI")),
                              centred(47, 85, QStringLiteral("ÜYE KAYIT NUMARASI")),
                              centred(85, 160, QStringLiteral("ÜYELİĞE KABUL"))});
    s.signatureCell(0, 47, 205, 33,
                    QStringLiteral("Sendikanızın Tüzüğünü\nokudum. İlgili Kanun gereğince\n"
                                   "üyeliğe kabulümü arzederim.\n\nTARİH : \n\nİMZA :"));
    s.signatureCell(47, 85, 205, 33, QString());
    s.signatureCell(
        85, 160, 205, 33,
        QStringLiteral("Yönetim Kurulunun ....... / ....... / 20.... tarih ve\n"
                       "................ Sayılı Kararı ile üyeliğe kabul edilmiştir.\n\n"
                       "TARİH-MÜHÜR-İMZA"),
        true);
    // On the "TARİH : " line, right of the label.
    s.add(Text(14, 44, 219, 5, s.contentOf(QStringLiteral("MTarih")))
              .named(QStringLiteral("MTarih"))
              .font(arial(8)));
}

void resignationSignatures(FormSheet &s, bool filled)
{
    s.signatureHeadings(199, {centred(0, 60, QStringLiteral("KAMU GÖREVLİSİNİN İMZASI")),
                              centred(60, 160, QStringLiteral("ÜYELİKTEN ÇEKİLME TARİHİ VE NO"))});
    s.add(Text(0, 60, 205, 12,
               QStringLiteral(
                   "Yukarıda belirttiğim Kamu Görevlileri Sendikası Üyeliğinden çekiliyorum. "
                   "Gereğini arz ederim."))
              .font(arial(8))
              .framed()
              .wrapped()
              .padding(0.5, 1.3, 0.5, 0.25));
    s.add(Text(60, 160, 205, 12,
               QStringLiteral(
                   "FORMUN KURUMA VERİLİŞ TARİHİ :  ........... / ........... / 20......."))
              .font(arial(8))
              .framed()
              .middle());
    s.signatureCell(0, 60, 217, 21, QStringLiteral("TARİH : \n\nKamu Görevlisinin:\nİMZASI :"));
    s.signatureCell(60, 160, 217, 21, QStringLiteral("\nFORMA KURUMCA VERİLEN EVRAK NUMARASI :"));
    // On the "TARİH : " line, right of the label: the day of printing on the filled form.
    Text date = filled ? Text(12, 48, 218, 5).font(arial(9, true))
                       : Text(12, 42, 218, 5, s.contentOf(QStringLiteral("MTarih"))).font(arial(8));
    s.add(date.named(QStringLiteral("MTarih")));
}

ReportPage formPage(Form form, bool filled)
{
    FormSheet s(boxContents(form, filled));
    const bool membership = form == Form::Membership;
    s.add(Text(0, 160, 8, 11,
               membership ? QStringLiteral("EK 1 - KAMU GÖREVLİLERİ SENDİKALARINA\nÜYELİK FORMU")
                          : QStringLiteral("EK 3 - KAMU GÖREVLİLERİ SENDİKALARI\n"
                                           "KAMU GÖREVLİSİNİN ÜYELİKTEN ÇEKİLME BİLDİRİMİ FORMU"))
              .font(arial(10, true))
              .centred()
              .middle());
    unionAndInstitutionRows(s);
    if (membership)
        provinceRows(s, {35, 85}, {90, 100}, {105, 160});
    else
        provinceRows(s, {35, 90}, {95, 105}, {110, 160});
    membershipRows(s);
    if (membership)
        membershipSignatures(s);
    else
        resignationSignatures(s, filled);

    ReportPage page;
    page.margins = QMarginsF(25, 25, 25, 25);
    page.bands = {band(BandKind::ReportTitle, 247, std::move(s.objects))};
    // The logo in both top corners: printed on the blank membership form only, shown in the
    // preview of the other three.
    const bool logoPrinted = membership && !filled;
    const double shift = membership ? 0 : -1;
    page.freeObjects = {
        picture(0 + shift, 26.7 + shift, 0, 26.7, QStringLiteral("Picture1"), !logoPrinted),
        picture(133 - shift, 159.7 - shift, 0, 26.7, QStringLiteral("Picture2"), !logoPrinted),
        Text(0, 94, 242.3, 6,
             QStringLiteral("NOT: Form arka sayfadaki açıklamalara göre doldurulacaktır."))
            .font(arial(8))};
    return page;
}

// ---------------------------------------------------------------- page 2: instructions

class Instructions
{
public:
    Instructions(double width, double shift) : m_width(width), m_shift(shift) {}

    std::vector<ReportObject> objects;

    // Bold lines at x 1.
    void heading(double y, const QString &text)
    {
        objects.push_back(Text(1, m_width, y + m_shift, lines(text) * line(), text).font(bold()));
    }

    // A wrapped paragraph of regular text.
    void paragraph(double x, double y, double width, const QString &text, int maxLines = 3)
    {
        objects.push_back(Text(x, x + width, y + m_shift, maxLines * line() + 0.5, text)
                              .font(regular())
                              .wrapped());
    }

    // Bold terms at x 1 and their explanations at `x`, line beside line: an explanation
    // that takes more lines gets blank lines after its term.
    void terms(double y, double x, double width, const QList<QPair<QString, QString>> &pairs)
    {
        QStringList termLines;
        QStringList explanationLines;
        const TextMetrics &metrics = TextMetrics::of(regular());
        for (const auto &[term, explanation] : pairs) {
            const QStringList wrapped = metrics.wrap(explanation, width - 1, 0);
            termLines << term;
            for (qsizetype i = 1; i < wrapped.size(); ++i)
                termLines << QString();
            explanationLines << wrapped;
        }
        const double height = double(explanationLines.size()) * line() + 0.5;
        objects.push_back(
            Text(1, x, y + m_shift, height, termLines.join(QLatin1Char('\n'))).font(bold()));
        objects.push_back(
            Text(x, x + width, y + m_shift, height, explanationLines.join(QLatin1Char('\n')))
                .font(regular())
                .wrapped());
    }

    // Regular text at x, level with line `lineIndex` (from 0) of a heading at y.
    void beside(double x, double y, int lineIndex, const QString &text)
    {
        objects.push_back(
            Text(x, m_width, y + m_shift + lineIndex * line(), line() + 0.5, text).font(regular()));
    }

    // A bold heading with its explanation 7 mm lower.
    void block(double y, const QString &heading, const QString &explanation)
    {
        this->heading(y, heading);
        paragraph(1, y + 7, m_width - 4, explanation);
    }

    double width() const { return m_width; }

private:
    static FontSpec regular() { return arial(10); }
    static FontSpec bold() { return arial(10, true); }
    static double line() { return TextMetrics::of(regular()).lineHeight(); }
    static double lines(const QString &text)
    {
        return double(text.count(QLatin1Char('\n')) + 1) + 0.2;
    }

    double m_width;
    double m_shift;
};

ReportPage instructionsPage(Form form)
{
    const bool membership = form == Form::Membership;
    const double side = membership ? 25 : 27;
    // The resignation form's instructions stand 3 mm higher.
    Instructions s(210 - 2 * side, membership ? 0 : -3);
    s.heading(4, membership ? QStringLiteral("EK - 1 \n\nAÇIKLAMALAR\n\nDOLDURMA ŞEKLİ :")
                            : QStringLiteral("EK - 3\n\nAÇIKLAMALAR\n\nDOLDURMA ŞEKLİ :"));
    s.beside(40, 4, 4, QStringLiteral("Yazı karakteri alfabenin büyük harfleri ile yazılacak."));
    s.heading(29, QStringLiteral("SENDİKA BİLGİLERİ :"));
    s.terms(
        36, 40, s.width() - 40,
        {{QStringLiteral("Hizmet Kolu :"),
          QStringLiteral(
              "Bu bölüme sendikanın faaliyet gösterdiği hizmet kolu sıra numarası yazılır.")},
         {QStringLiteral("Sendika Adı :"), QStringLiteral("Üye tarafından doldurulacak.")},
         {QStringLiteral("Sendika Adresi :"), QStringLiteral("Sendika tarafından doldurulacak.")},
         {QStringLiteral("Dosya No :"),
          QStringLiteral("Çalışma ve Sosyal Güvenlik Bakanlığınca ilgili sendikaya verilen dosya\n"
                         "numarası yazılır.")}});
    s.heading(63, QStringLiteral("KURUM BİLGİLERİ :"));
    s.paragraph(1, 70, 157,
                QStringLiteral(
                    "Kurumun adı, görev yapılan birimin adı/adresi, kurum hizmet kolu, kurum kodu, "
                    "il adı, il kodu, ilçe adı: Üye tarafından doldurulur."));
    s.heading(84, QStringLiteral("ÜYELİK BİLGİLERİ :"));
    s.terms(91, 41, 118,
            {{QStringLiteral("T.C. Kimlik No :"),
              QStringLiteral(
                  "Bu bölüme 11 rakamlı MERNİS tarafından verilen T.C. Kimlik Numarası yazılır.")},
             {QStringLiteral("Öğrenim Durumu :"),
              QStringLiteral(
                  "En son bitirilen okul yazılacak. (İlkokul ve ortaokul mezunları ilköğretimi "
                  "işaretleyecektir.)")},
             {QStringLiteral("Kurum Sicil No :"),
              QStringLiteral("Kurumun vermiş olduğu Kurum Sicil Numarası yazılır.")},
             {QStringLiteral("Kadro Unvanı :"),
              QStringLiteral("Kamu görevlisinin bulunduğu unvan yazılır.")},
             {QStringLiteral("Kadro Unvan Kodu :"),
              QStringLiteral("Devlet Personel Başkanlığınca belirlenen kodlar kullanılacaktır.")}});
    s.block(
        144, QStringLiteral("SOSYAL GÜVENLİK KURUMU :"),
        QStringLiteral(
            "Sosyal Güvenlik Sicil Numarası : Kamu görevlisi hangi Sosyal  Güvenlik Kurumuna "
            "bağlı ise ilgili Sosyal Güvenlik Kuruluşunun karşısına sicil numarası yazılacak."));
    s.block(
        166, QStringLiteral("ÜYE KAYIT NUMARASI :"),
        QStringLiteral("Üyelik bildiriminin  sendikanın kayıt defterine işlendiği sıra numarası "
                       "sendika tarafından yazılır."));
    if (membership) {
        s.block(183, QStringLiteral("KAMU GÖREVLİSİNİN İMZASI :"),
                QStringLiteral("Üyenin imzası ve imzaladığı tarih mutlaka yazılır."));
        s.block(199, QStringLiteral("ÜYELİĞE KABUL :"),
                QStringLiteral(
                    "Sendika Yönetim Kurulunun kabul tarihi, sayısı, onaylama tarihi,  mühür ve "
                    "imzası bulunacak."));
    } else {
        // At 180, 187 and 199 on the page.
        s.heading(183, QStringLiteral("ÜYELİKTEN ÇEKİLME NO VE TARİHİ :"));
        s.paragraph(1, 190, s.width() - 4,
                    QStringLiteral(
                        "Üyelikten çekilme no : İlgilinin çalıştığı kurumun evrak  kayıt defterine "
                        "işlendiği sıra numarası kurum tarafından yazılır."));
        s.paragraph(
            1, 202, s.width() - 4,
            QStringLiteral(
                "Üyelikten çekilme tarihi : İlgilinin çalıştığı kuruma veriliş tarihi kurum "
                "tarafından yazılacak."));
    }
    ReportPage page;
    page.margins = QMarginsF(side, 30, side, 25);
    page.freeObjects = std::move(s.objects);
    return page;
}

ReportTemplate unionForm(Form form, bool filled)
{
    const bool membership = form == Form::Membership;
    const QString name = membership
                             ? (filled ? QStringLiteral("RUye") : QStringLiteral("RSendikaKayit"))
                             : (filled ? QStringLiteral("RUyeIstifa") : QStringLiteral("RIstifa"));
    const QString title =
        membership ? QStringLiteral("EK 1 - KAMU GÖREVLİLERİ SENDİKALARINA ÜYELİK FORMU")
                   : QStringLiteral(
                         "EK 3 - KAMU GÖREVLİLERİ SENDİKALARI KAMU GÖREVLİSİNİN ÜYELİKTEN ÇEKİLME "
                         "BİLDİRİMİ FORMU");
    ReportTemplate report(name, title);
    report.pages.push_back(formPage(form, filled));
    report.pages.push_back(instructionsPage(form));
    return report;
}

} // namespace

ReportTemplate membershipForm(bool filled)
{
    return unionForm(Form::Membership, filled);
}

ReportTemplate resignationForm(bool filled)
{
    return unionForm(Form::Resignation, filled);
}

} // namespace templates
