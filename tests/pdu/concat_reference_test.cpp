// The concatenation reference of an encoded part, read and replaced: the rest of a long message
// goes out under the reference of its first parts.
#include <gtest/gtest.h>

#include "PduTestSupport.h"
#include "pdu/PduEncoder.h"
#include "pdu/SMScoder.h"

using ConcatReference = ScratchSettings;

TEST_F(ConcatReference, ReplacedItGivesThePartsEncodedUnderThatReference) {
    for (QString text : {QString(350, QLatin1Char('x')), QString(100, QChar(0x0430))}) {
        auto encodeAfter = [&](const char* lastReference) {
            set("SMS", "LongID", QString::fromLatin1(lastReference));
            return SMScoder().PrepareSend(QStringLiteral("79001234567"), text,
                                          QStringLiteral("79001111111"), 0);
        };
        const QStringList under5 = encodeAfter("4");
        const QStringList under200 = encodeAfter("199");
        ASSERT_GE(under5.size(), 2);
        for (int i = 0; i < under5.size(); ++i) {
            EXPECT_EQ(ConcatReferenceOf(under5[i]), 5);
            EXPECT_EQ(WithConcatReference(under5[i], 200), under200[i]);
        }
    }
}
