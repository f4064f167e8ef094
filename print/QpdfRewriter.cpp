#include "print/QpdfRewriter.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

namespace korvel {

namespace {

// Where the rewritten PDF goes.
class AppendTo final : public Pipeline {
public:
    explicit AppendTo(QByteArray &out) : Pipeline("korvel-pdf", nullptr), m_out(out) {}
    void write(unsigned char const *data, size_t length) override
    {
        m_out.append(reinterpret_cast<const char *>(data), qsizetype(length));
    }
    void finish() override {}

private:
    QByteArray &m_out;
};

} // namespace

void QpdfRewriter::write(QPDF &document, QByteArray *pdf, qsizetype extra)
{
    QByteArray rewritten;
    rewritten.reserve(pdf->size() + extra);
    AppendTo output(rewritten);
    QPDFWriter writer(document);
    writer.setOutputPipeline(&output);
    writer.setStreamDataMode(qpdf_s_preserve);
    writer.setDecodeLevel(qpdf_dl_none);
    writer.write();
    *pdf = std::move(rewritten);
}

} // namespace korvel
