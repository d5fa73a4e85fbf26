function F: Integer;
var u: TppUnitType;
begin
  u := utMillimeters;
  case u of
    utScreenPixels, utInches: Result := 1;
    utMillimeters..utMMThousandths: Result := 2;
  end;
end;
