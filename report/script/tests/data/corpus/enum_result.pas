function F: TppUnitType;
begin
  Result := utMMThousandths;
end;
