#include "languages/InfoTexts.h"

namespace pixtrel {

// The tab captions "Options", "JPG", "GIF -> JPG" stay English in every language, so the texts
// name them so; button captions differ between variants, so the texts describe the buttons.

QString EnglishAboutText() {
  return QStringLiteral(
      "Pixtrel resizes and converts pictures in the BMP, GIF and JPG formats, many at a time. "
      "Select the files in the list on the left, choose what to do with them on one of the tabs "
      "and press its button: Pixtrel works through the whole selection and writes the new "
      "pictures beside the originals, into a subfolder or over the originals, as you choose on "
      "the Options tab. It can also rotate pictures, save JPG files at another quality and turn "
      "them grey.\n\n"
      "Terms of use: Pixtrel is free for personal and business use. You may copy it and give it "
      "away, as long as you hand it on unchanged and free of charge. It comes without any "
      "warranty: keep copies of the pictures you care about before you let any program change "
      "them.");
}

QString DutchAboutText() {
  return QStringLiteral(
      "Pixtrel verkleint, vergroot en converteert afbeeldingen in de formaten BMP, GIF en JPG, "
      "vele tegelijk. Selecteer de bestanden in de lijst links, kies op een van de tabbladen wat "
      "ermee moet gebeuren en druk op de knop van dat tabblad: Pixtrel werkt de hele selectie af "
      "en schrijft de nieuwe afbeeldingen naast de originelen, in een submap of over de "
      "originelen heen, zoals u op het tabblad Options kiest. Het programma kan afbeeldingen ook "
      "draaien, JPG-bestanden in een andere kwaliteit opslaan en ze in grijstinten omzetten.\n\n"
      "Gebruiksvoorwaarden: Pixtrel is gratis voor persoonlijk en zakelijk gebruik. U mag het "
      "kopiëren en weggeven, zolang u het ongewijzigd en kosteloos doorgeeft. Het wordt geleverd "
      "zonder enige garantie: maak een kopie van de afbeeldingen die u dierbaar zijn, voordat u "
      "ze door welk programma dan ook laat wijzigen.");
}

QString SlovenianAboutText() {
  return QStringLiteral(
      "Pixtrel spreminja velikost slik v zapisih BMP, GIF in JPG ter jih pretvarja iz enega "
      "zapisa v drugega, in to veliko slik naenkrat. V seznamu na levi izberite datoteke, na "
      "enem od zavihkov izberite, kaj naj se z njimi zgodi, in pritisnite gumb na zavihku: "
      "Pixtrel obdela vse izbrane datoteke in nove slike zapiše poleg izvirnikov, v podimenik "
      "ali čez izvirnike, kakor izberete na zavihku Options. Slike zna tudi zavrteti, datoteke "
      "JPG shraniti v drugačni kakovosti in jih pretvoriti v črno-belo.\n\n"
      "Pogoji uporabe: Pixtrel je brezplačen za osebno in poslovno rabo. Smete ga kopirati in "
      "deliti naprej, če ga posredujete nespremenjenega in brezplačno. Na voljo je brez "
      "kakršnega koli jamstva: preden katerikoli program spremeni slike, ki so vam pomembne, si "
      "shranite njihove kopije.");
}

QString EnglishHelpText() {
  return QStringLiteral(
      "If you are resizing pictures:\n"
      "1. Choose the tab for the format of your pictures: JPG, GIF or BMP.\n"
      "2. Select the pictures in the file list on the left (hold Ctrl or Shift to select "
      "several, or press Ctrl+A to select them all).\n"
      "3. Type the number of pixels for the longer side of the new pictures.\n"
      "4. Choose Normal quality (faster) or Better quality.\n"
      "5. Press the Resize button.\n"
      "Notes: double-click a name in the list to view the picture; click the picture to leave "
      "the view. The width and height keep their proportion. New files are made beside their "
      "sources, named \"mini-\" followed by the source file's name, unless you choose another "
      "way on the Options tab.\n\n"
      "If you are converting pictures:\n"
      "1. Choose the tab of the conversion, for example GIF -> JPG.\n"
      "2. Select the pictures in the file list on the left.\n"
      "3. Press the Convert button.\n"
      "Notes: a converted file keeps the whole name of its source and gains the new ending, so "
      "image1.gif becomes image1.gif.jpg. Converting to GIF or saving as JPG can lower the "
      "quality of a picture.");
}

QString DutchHelpText() {
  return QStringLiteral(
      "Als u afbeeldingen groter of kleiner wilt maken:\n"
      "1. Kies het tabblad voor het formaat van uw afbeeldingen: JPG, GIF of BMP.\n"
      "2. Selecteer de afbeeldingen in de bestandslijst links (houd Ctrl of Shift ingedrukt om "
      "er meerdere te selecteren, of druk op Ctrl+A om ze allemaal te selecteren).\n"
      "3. Typ het aantal pixels voor de langste zijde van de nieuwe afbeeldingen.\n"
      "4. Kies de normale kwaliteit (sneller) of de betere kwaliteit.\n"
      "5. Druk op de knop onder het aantal pixels.\n"
      "Opmerkingen: dubbelklik op een naam in de lijst om de afbeelding te bekijken; klik op de "
      "afbeelding om de weergave te sluiten. Breedte en hoogte behouden hun verhouding. Nieuwe "
      "bestanden komen naast hun bron te staan, met als naam \"mini-\" gevolgd door de naam van "
      "het bronbestand, tenzij u op het tabblad Options een andere manier kiest.\n\n"
      "Als u afbeeldingen wilt converteren:\n"
      "1. Kies het tabblad van de conversie, bijvoorbeeld GIF -> JPG.\n"
      "2. Selecteer de afbeeldingen in de bestandslijst links.\n"
      "3. Druk op de knop op het tabblad.\n"
      "Opmerkingen: een geconverteerd bestand houdt de volledige naam van zijn bron en krijgt de "
      "nieuwe extensie erachter, zodat image1.gif verandert in image1.gif.jpg. Converteren naar "
      "GIF of opslaan als JPG kan de kwaliteit van een afbeelding verlagen.");
}

}  // namespace pixtrel
