// The "About..." tab: product, versions, counts, links, notices and the
// start-up picture.
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "VersaoPrograma.h"
#include "app/ui/TFormulario.h"
#include "platform/qt/controls/LinkLabel.h"
#include "platform/qt/dbcontrols/Image.h"
#include "platform/qt/qtglue/PageControl.h"

namespace vorel {

namespace {
const char* const kWarning =
    "Important: This software makes its best to identify equivalent semiconductors. But, in certain critical "
    "applications, or when detailed data of one device will be necessary, the User must take a look in the "
    "databooks and datasheets supplied by the Companies.";
const char* const kWarning2 =
    "Note: VorelSoft/Vorel Electronics does not represent any Company presented (or its products) into this "
    "software in any way, express or implícitly. Any possible incorretion into this software is not "
    "responsability of the Companies and will not creste any rights against these Companies or VorelSoft.";
const char* const kJpegNote =
    "Notes: This software uses part of the work of The Independent JPEG Group Software, for image manipulation "
    "on the Joint Photographic Engineering Group - JPEG format.";
}  // namespace

void TFormulario::BuildAboutTab() {
    TabSheet1_1 = new QWidget;
    TabSheet1_1->setObjectName("TabSheet1_1");
    PageControl1->addTab(TabSheet1_1, "About...");

    auto* outer = new QHBoxLayout(TabSheet1_1);
    outer->setContentsMargins(18, 18, 18, 18);
    outer->setSpacing(24);

    ImagemAbertura = new platform::TImage;
    ImagemAbertura->setObjectName("ImagemAbertura");
    ImagemAbertura->setMinimumSize(260, 200);
    outer->addWidget(ImagemAbertura, 5);

    auto* side = new QVBoxLayout;
    side->setSpacing(10);
    outer->addLayout(side, 6);

    auto* product = new QLabel("Vorel - Electronics");
    product->setObjectName("Product");
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 2.2);
    big.setBold(true);
    product->setFont(big);
    side->addWidget(product);

    auto* facts = new QGridLayout;
    facts->setHorizontalSpacing(16);
    facts->setVerticalSpacing(4);
    int row = 0;
    auto fact = [&](const char* caption, const char* name) {
        auto* value = new QLabel("n/a");
        value->setObjectName(name);
        facts->addWidget(new QLabel(caption), row, 0);
        facts->addWidget(value, row, 1);
        ++row;
        return value;
    };
    VersaoS = fact("Software version:", "VersaoS");
    VersaoBD = fact("Databases version:", "VersaoBD");  // the tables' own, read at start-up
    VersaoS->setText(kVersaoPrograma);
    facts->setRowMinimumHeight(row++, 8);
    QtdeTR = fact("Total of bipolar transistors:", "QtdeTR");
    QtdeDR = fact("Total of rectifier diodes:", "QtdeDR");
    QtdeDZ = fact("Total of Zener diodes:", "QtdeDZ");
    QtdeCI = fact("Total of integrated circuits:", "QtdeCI");
    for (QLabel* q : {QtdeTR, QtdeDR, QtdeDZ, QtdeCI}) q->setVisible(false);
    facts->setRowMinimumHeight(row++, 8);
    // The maker's addresses.
    EMail = new platform::TLinkLabel("contact@vorel.example", "mailto:contact@vorel.example");
    EMail->setObjectName("EMail");
    HomePage = new platform::TLinkLabel("http://www.vorel.example/", "http://www.vorel.example/");
    HomePage->setObjectName("HomePage");
    facts->addWidget(new QLabel("e-mail:"), row, 0);
    facts->addWidget(EMail, row++, 1, Qt::AlignLeft);
    facts->addWidget(new QLabel("Home page:"), row, 0);
    facts->addWidget(HomePage, row++, 1, Qt::AlignLeft);
    facts->setColumnStretch(2, 1);
    side->addLayout(facts);

    auto* note = new QLabel(kJpegNote);
    note->setWordWrap(true);
    note->setObjectName("JpegNote");
    side->addWidget(note);

    auto notice = [&](const char* name) {
        auto* l = new QLabel;
        l->setObjectName(name);
        l->setWordWrap(true);
        l->setFrameShape(QFrame::StyledPanel);
        l->setMargin(8);
        l->setBackgroundRole(QPalette::ToolTipBase);
        l->setForegroundRole(QPalette::ToolTipText);
        l->setAutoFillBackground(true);
        l->setVisible(false);  // shown when the start-up is complete
        side->addWidget(l);
        return l;
    };
    Aviso = notice("Aviso");
    Aviso2 = notice("Aviso2");
    side->addStretch(1);
    Aviso->setText(kWarning);
    Aviso2->setText(kWarning2);
}

}  // namespace vorel
