#include "languages/InfoTexts.h"

namespace pixtrel {

// The texts name the tabs as the language's captions do; button captions differ between
// variants, so the texts describe the buttons.

QString EnglishAboutText() {
  return QStringLiteral(
      "Pixtrel resizes, converts and rotates pictures, many at a time: JPEG, PNG, WebP, GIF and "
      "BMP files, and photos in HEIC or AVIF, which it reads and converts to the others. "
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
      "Pixtrel verkleint, vergroot, converteert en draait afbeeldingen, vele tegelijk: JPEG-, "
      "PNG-, WebP-, GIF- en BMP-bestanden, en foto's in HEIC of AVIF, die het leest en naar de "
      "andere formaten converteert. Selecteer de bestanden in de lijst links, kies op een van de "
      "tabbladen wat "
      "ermee moet gebeuren en druk op de knop van dat tabblad: Pixtrel werkt de hele selectie af "
      "en schrijft de nieuwe afbeeldingen naast de originelen, in een submap of over de "
      "originelen heen, zoals u op het tabblad Opties kiest. Het programma kan afbeeldingen ook "
      "draaien, JPG-bestanden in een andere kwaliteit opslaan en ze in grijstinten omzetten.\n\n"
      "Gebruiksvoorwaarden: Pixtrel is gratis voor persoonlijk en zakelijk gebruik. U mag het "
      "kopiëren en weggeven, zolang u het ongewijzigd en kosteloos doorgeeft. Het wordt geleverd "
      "zonder enige garantie: maak een kopie van de afbeeldingen die u dierbaar zijn, voordat u "
      "ze door welk programma dan ook laat wijzigen.");
}

QString SlovenianAboutText() {
  return QStringLiteral(
      "Pixtrel spreminja velikost slik, jih pretvarja iz enega zapisa v drugega in vrti, in to "
      "veliko slik naenkrat: datoteke JPEG, PNG, WebP, GIF in BMP ter fotografije HEIC in AVIF, "
      "ki jih prebere in pretvori v druge zapise. V seznamu na levi izberite datoteke, na "
      "enem od zavihkov izberite, kaj naj se z njimi zgodi, in pritisnite gumb na zavihku: "
      "Pixtrel obdela vse izbrane datoteke in nove slike zapiše poleg izvirnikov, v podimenik "
      "ali čez izvirnike, kakor izberete na zavihku Možnosti. Slike zna tudi zavrteti, datoteke "
      "JPG shraniti v drugačni kakovosti in jih pretvoriti v črno-belo.\n\n"
      "Pogoji uporabe: Pixtrel je brezplačen za osebno in poslovno rabo. Smete ga kopirati in "
      "deliti naprej, če ga posredujete nespremenjenega in brezplačno. Na voljo je brez "
      "kakršnega koli jamstva: preden katerikoli program spremeni slike, ki so vam pomembne, si "
      "shranite njihove kopije.");
}

QString EnglishHelpText() {
  return QStringLiteral(
      "If you are resizing pictures:\n"
      "1. Choose the tab for the format of your pictures: JPG, GIF, BMP, PNG or WebP.\n"
      "2. Select the pictures in the file list on the left (hold Ctrl or Shift to select "
      "several, or press Ctrl+A to select them all).\n"
      "3. Type the number of pixels for the longer side of the new pictures.\n"
      "4. Choose Normal quality (faster) or Better quality.\n"
      "5. Press the Resize button.\n"
      "Notes: double-click a name in the list to view the picture; press Esc to leave the view "
      "(a click on a large picture switches between the whole picture and its own size). The width "
      "and height keep their proportion. New files are made beside their "
      "sources, named \"mini-\" followed by the source file's name, unless you choose another "
      "way on the Options tab.\n\n"
      "If you are converting pictures:\n"
      "1. Choose the tab of the conversion, for example GIF -> JPG, or \"Convert to…\" and the "
      "format you want (this tab also takes HEIC and AVIF photos).\n"
      "2. Select the pictures in the file list on the left.\n"
      "3. Press the Convert button.\n"
      "Notes: a converted file keeps the whole name of its source and gains the new ending, so "
      "image1.gif becomes image1.gif.jpg. Converting to GIF or saving as JPG can lower the "
      "quality of a picture.");
}

QString DutchHelpText() {
  return QStringLiteral(
      "Als u afbeeldingen groter of kleiner wilt maken:\n"
      "1. Kies het tabblad voor het formaat van uw afbeeldingen: JPG, GIF, BMP, PNG of WebP.\n"
      "2. Selecteer de afbeeldingen in de bestandslijst links (houd Ctrl of Shift ingedrukt om "
      "er meerdere te selecteren, of druk op Ctrl+A om ze allemaal te selecteren).\n"
      "3. Typ het aantal pixels voor de langste zijde van de nieuwe afbeeldingen.\n"
      "4. Kies de normale kwaliteit (sneller) of de betere kwaliteit.\n"
      "5. Druk op de knop onder het aantal pixels.\n"
      "Opmerkingen: dubbelklik op een naam in de lijst om de afbeelding te bekijken; druk op Esc "
      "om de weergave te sluiten (een klik op een grote afbeelding wisselt tussen de hele "
      "afbeelding en haar ware grootte). Breedte en hoogte behouden hun verhouding. Nieuwe "
      "bestanden komen naast hun bron te staan, met als naam \"mini-\" gevolgd door de naam van "
      "het bronbestand, tenzij u op het tabblad Opties een andere manier kiest.\n\n"
      "Als u afbeeldingen wilt converteren:\n"
      "1. Kies het tabblad van de conversie, bijvoorbeeld GIF -> JPG, of \"Converteren naar…\" "
      "en het gewenste formaat (dit tabblad neemt ook HEIC- en AVIF-foto's).\n"
      "2. Selecteer de afbeeldingen in de bestandslijst links.\n"
      "3. Druk op de knop op het tabblad.\n"
      "Opmerkingen: een geconverteerd bestand houdt de volledige naam van zijn bron en krijgt de "
      "nieuwe extensie erachter, zodat image1.gif verandert in image1.gif.jpg. Converteren naar "
      "GIF of opslaan als JPG kan de kwaliteit van een afbeelding verlagen.");
}

}  // namespace pixtrel
