function F: DateTime;
begin
  Result := EncodeDate(67536, 1, 1);
end;
