function F: DateTime;
begin
  Result := EncodeDate(2023, 2, 29);
end;
