#include "charts/ChartRender.h"

#include <QtCore/QSaveFile>
#include <QtCore/QTextStream>
#include <QtGui/QFontDatabase>
#include <QtWidgets/QApplication>

#include "base/ErrorHelp.h"
#include "base/TextTable.h"
#include "charts/ChartViewRegistry.h"
#include "charts/Tgrafika.h"
#include "link/SettingsFile.h"
#include "link/Tsterownik.h"

namespace ChartRender {

namespace {

bool toInt(const QString& text, int& value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok);
    return ok;
}

// The window's face: Tahoma, or the condensed face closest to it.
QFont chartFace()
{
    QString family = QStringLiteral("Tahoma");
    if (!QFontDatabase::hasFamily(family))
        for (const QString& standIn : {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Nimbus Sans")})
            if (QFontDatabase::hasFamily(standIn)) {
                family = standIn;
                break;
            }
    QFont f(family);
    f.setPointSize(8);
    return f;
}

}  // namespace

Exit parse(const QString& view, const QString& settings, const QString& out, const QString& size, const QString& theme,
           const QString& language, Options& options, QString& error)
{
    if (!toInt(view, options.view) || !ChartViews::Exists(options.view)) {
        error = QStringLiteral("no chart view %1").arg(view);
        return BadArguments;
    }
    if (settings.isEmpty()) {
        error = QStringLiteral("--render needs --settings FILE.set");
        return BadArguments;
    }
    if (out.isEmpty()) {
        error = QStringLiteral("--render needs --out FILE.png");
        return BadArguments;
    }
    options.settings = settings;
    options.out = out;
    if (!size.isEmpty()) {
        const QStringList wh = size.toLower().split(QLatin1Char('x'));
        int w = 0, h = 0;
        if (wh.size() != 2 || !toInt(wh[0], w) || !toInt(wh[1], h) || w < 1 || h < 1 || w > 8192 || h > 8192) {
            error = QStringLiteral("--size wants WxH, each 1..8192, not %1").arg(size);
            return BadArguments;
        }
        options.size = QSize(w, h);
    }
    if (!theme.isEmpty() && (!toInt(theme, options.theme) || options.theme < 0 || options.theme > 5)) {
        error = QStringLiteral("--theme wants 0..5, not %1").arg(theme);
        return BadArguments;
    }
    if (!language.isEmpty()) {
        const QStringList codes = {QStringLiteral("en"), QStringLiteral("pl"), QStringLiteral("ru"),
                                   QStringLiteral("es")};
        options.language = int(codes.indexOf(language.toLower()));
        if (options.language < 0) {
            error = QStringLiteral("--lang wants en, pl, ru or es, not %1").arg(language);
            return BadArguments;
        }
    }
    return Ok;
}

Exit run(const Options& options, QTextStream& err)
{
    TSterownik link;
    link.timer()->stop();
    const int code = SettingsFile::load(options.settings, link.mem);
    if (code != SettingsFile::Ok) {
        err << ErrorHelp::boxText(code) << Qt::endl;
        const QString explanation = ErrorHelp::explanation(code, options.language);
        if (!explanation.isEmpty()) err << explanation << Qt::endl;
        return Refused;
    }
    programLanguage() = options.language;
    programTexts().load();

    const ThemePalette palette = ComputePalette(options.theme, SystemColours::fromPalette(QApplication::palette()));
    QWidget panel;
    panel.setAttribute(Qt::WA_DontShowOnScreen);
    panel.setFont(chartFace());
    panel.setFixedSize(options.size);
    TGrafika chart;
    chart.Sterownik = &link;
    chart.AttachToPanel(&panel);
    chart.setThemePalette(palette);
    panel.show();
    chart.show();
    chart.SetView(options.view);

    // Table views show their numbers in grids standing on the panel over the control.
    const ChartView* v = chart.currentView();
    const QImage picture = v && !v->isPlotView() ? panel.grab().toImage() : chart.frameImage();
    QSaveFile file(options.out);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit()) {
        err << "cannot write " << options.out << Qt::endl;
        return Refused;
    }
    return Ok;
}

}  // namespace ChartRender
