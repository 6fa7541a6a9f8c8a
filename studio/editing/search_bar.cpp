// The search bar of the editor: find, replace and go to line, under the editor on its page.

#include "studio/editing/editor_assist.h"
#include "studio/editing/script_editor.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace ludomat {

namespace {

QPushButton* barButton(QWidget* parent, QBoxLayout* row, const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

}  // namespace

void EditorAssist::buildBar()
{
    m_bar = new QWidget;
    m_bar->setObjectName("BarraProcurar");
    auto* rows = new QVBoxLayout(m_bar);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(new QLabel("Procurar:", m_bar));
    m_findField = new QLineEdit(m_bar);
    m_findField->setObjectName("CampoProcurar");
    findRow->addWidget(m_findField, 1);
    connect(barButton(m_bar, findRow, "Próximo", "btProximo"), &QPushButton::clicked, this,
            [this] { m_barMessage->setText(findNext(m_findField->text()) ? QString() : "Não encontrado."); });
    connect(m_findField, &QLineEdit::returnPressed, this,
            [this] { m_barMessage->setText(findNext(m_findField->text()) ? QString() : "Não encontrado."); });
    findRow->addWidget(new QLabel("Linha:", m_bar));
    m_lineField = new QLineEdit(m_bar);
    m_lineField->setObjectName("CampoLinha");
    m_lineField->setMaximumWidth(60);
    findRow->addWidget(m_lineField);
    connect(m_lineField, &QLineEdit::returnPressed, this, [this] {
        bool ok = false;
        int line = m_lineField->text().trimmed().toInt(&ok);
        if (!ok) {
            m_barMessage->setText("Digite o número da linha.");
            return;
        }
        m_barMessage->clear();
        goToLine(line);
    });
    connect(barButton(m_bar, findRow, "X", "btFecharBusca"), &QPushButton::clicked, m_bar, &QWidget::hide);
    rows->addLayout(findRow);

    m_replaceRow = new QWidget(m_bar);
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replaceRow->addWidget(new QLabel("Trocar por:", m_replaceRow));
    m_replaceField = new QLineEdit(m_replaceRow);
    m_replaceField->setObjectName("CampoTrocar");
    replaceRow->addWidget(m_replaceField, 1);
    connect(barButton(m_replaceRow, replaceRow, "Trocar", "btTrocar"), &QPushButton::clicked, this,
            [this] { replaceNext(m_findField->text(), m_replaceField->text()); });
    connect(barButton(m_replaceRow, replaceRow, "Trocar todos", "btTrocarTodos"), &QPushButton::clicked, this, [this] {
        int count = replaceAll(m_findField->text(), m_replaceField->text());
        m_barMessage->setText(QString("%1 trocado(s).").arg(count));
    });
    rows->addWidget(m_replaceRow);
    m_barMessage = new QLabel(m_bar);
    m_barMessage->setObjectName("MensagemBusca");
    rows->addWidget(m_barMessage);

    if (auto* layout = m_editor.parentWidget() ? m_editor.parentWidget()->layout() : nullptr) layout->addWidget(m_bar);
    m_bar->hide();
}

void EditorAssist::openBar(int mode)
{
    m_replaceRow->setVisible(mode == 1);
    m_barMessage->clear();
    QString selected = m_editor.textCursor().selectedText();
    if (mode != 2 && !selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
        m_findField->setText(selected);
    m_bar->show();
    QLineEdit* field = mode == 2 ? m_lineField : m_findField;
    field->setFocus();
    field->selectAll();
}

}  // namespace ludomat
